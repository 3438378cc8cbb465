#include "picture.h"

#include <vector>

#include "check.h"

void SaveWindowPicture(HWND window, const std::wstring& file) {
  RECT area = {};
  GetWindowRect(window, &area);
  int width = area.right - area.left;
  int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) Fail(__FILE__, __LINE__, "the window has no area to picture");

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as BMP files store it
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  int rowBytes = (width * 3 + 3) & ~3;
  std::vector<unsigned char> pixels(size_t(rowBytes) * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER fileHeader = {};
  fileHeader.bfType = 0x4D42;  // "BM"
  fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
  fileHeader.bfSize = DWORD(fileHeader.bfOffBits + pixels.size());
  HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) Fail(__FILE__, __LINE__, "cannot write " + Narrow(file));
  DWORD written = 0;
  bool ok = WriteFile(out, &fileHeader, sizeof fileHeader, &written, nullptr) &&
            WriteFile(out, &header, sizeof header, &written, nullptr) &&
            WriteFile(out, pixels.data(), DWORD(pixels.size()), &written, nullptr);
  CloseHandle(out);
  if (!ok) Fail(__FILE__, __LINE__, "cannot write " + Narrow(file));
}
