// Picking the destination with the system's folder browser.
#pragma once

// Runs the browser on path (260 bytes). On confirmation path becomes the
// chosen folder with the product folder appended, and the result is true.
// On cancel, or when the result is longer than a destination may be, path
// is left as it was and the result is false (a result too long is
// explained in a message box).
bool BrowseForDestination(char* path);

// Turns a chosen folder into the installation folder in place: a backslash
// when missing, then "Orbivue\". An empty path stays empty. Returns false and
// leaves path alone when the result would not fit in 260 bytes.
bool AppendProductFolder(char* path);
