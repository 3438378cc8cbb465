#include "wizard_facts.h"

const PageTexts& EnglishTexts() {
  static const PageTexts texts = {
      L"Next",
      L"Back",
      L"Cancel",
      {L"Sky Star 1 Hard mode (need TechnoTrend 2.x driver)",
       L"Sky Star 1 Soft mode (need TechnoTrend 2.x driver)",
       L"Sky Star 2 PCI or USB (need 4.22 drivers)", L"Budget-PCI-Card", L"Budget-USB-Boxes",
       L"Pinnacle DVB-S", L"TwinHan compatible", L"AVerTV DVB-S",
       L"BroadLogic 2030 or 1030 DVB-S Card ", L"Broadcast client", L"--- Not start device ---"},
      L"Register Elecard filters for software mode",
      L"Register thsource.ax for TwinHan",
      L"Disable",
      L"In memory",
      L"In file",
      {L"EPG", L"Scheduler", L"WinLirc client", L"Broadcast server", L"Stream router"},
      L"Extracting files ...",
      L"Installation successfully completed.",
      L"Run Orbivue",
      L"Select directory for installation .",
      L"Installation terminated by user !",
      L"The destination directory is too long. Please choose one of at most 178 characters, not "
      L"counting a trailing backslash.",
      L"This folder cannot hold the installation. Please choose a full path on a drive, below its "
      L"root folder, with no name that ends in a dot or a blank and no device name such as CON or "
      L"NUL.",
  };
  return texts;
}

const PageTexts& RussianTexts() {
  static const PageTexts texts = {
      L"Далее",
      L"Вернуться",
      L"Отмена",
      {L"Sky Star 1 Hard mode (нужен TechnoTrend 2.x драйвер)",
       L"Sky Star 1 Soft mode (нужен TechnoTrend 2.x драйвер)",
       L"Sky Star 2 PCI or USB (нужен драйвер 4.22 или старше)", L"Budget-PCI (SkyStar3)",
       L"Budget-USB (SkyStar3)", L"Pinnacle DVB-S", L"TwinHan совместимая", L"AVerTV DVB-S",
       L"BroadLogic 2030 или 1030 DVB-S Card ", L"Broadcast клиент",
       L"--- Не запускать не одно из устройств ---"},
      L"Зарегистрировать Elecard фильтры",
      L"Зарегистрировать thsource.ax для TwinHan",
      L"Не использовать",
      L"В памяти",
      L"В файле",
      {L"Программа передач", L"Планировщик", L"WinLirk клиент", L"Broadcast сервер",
       L"Stream router"},
      L"Идёт распаковка файлов...",
      L"Инсталляция успешно завершена.",
      L"Запустить Orbivue сейчас.",
      L"Выберете директорию для инсталляции.",
      L"Инсталляция прервана пользователем !",
      L"Слишком длинный путь директории для инсталляции. Выберите путь не длиннее 178 символов, не "
      L"считая обратной косой черты в конце.",
      L"Эта папка не подходит для инсталляции. Выберите полный путь на диске, не корневую папку "
      L"диска, без имён, оканчивающихся точкой или пробелом, и без имён устройств, таких как CON "
      L"или NUL.",
  };
  return texts;
}
