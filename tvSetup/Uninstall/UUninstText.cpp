#include "UUninstText.h"

#include "USetupNames.h"

namespace tv {

namespace {

const TUninstText EngUninstText = {
    "Remove Tarnovell from the folder\r\n%1?\r\nThe folders Data and Hist with your data stay where they are.",
    "Remove the configuration file tarnovell.cfg as well?\r\nIt keeps the program's settings and its password.",
    "Tarnovell has been removed.\r\nYour data in the folders Data and Hist have been kept.",
    "These files could not be removed:",
};

const TUninstText RusUninstText = {
    "Удалить программу Tarnovell из папки\r\n%1?\r\nПапки Data и Hist с вашими данными останутся на месте.",
    "Удалить также файл настроек tarnovell.cfg?\r\nВ нём хранятся настройки программы и её пароль.",
    "Программа Tarnovell удалена.\r\nВаши данные в папках Data и Hist сохранены.",
    "Не удалось удалить следующие файлы:",
};

const TUninstText UkrUninstText = {
    "Видалити програму Tarnovell з теки\r\n%1?\r\nТеки Data і Hist з вашими даними залишаться на місці.",
    "Видалити також файл налаштувань tarnovell.cfg?\r\nУ ньому зберігаються налаштування програми та її пароль.",
    "Програму Tarnovell видалено.\r\nВаші дані в теках Data і Hist збережено.",
    "Не вдалося видалити такі файли:",
};

} // namespace

const TUninstText& UninstText(unsigned langCode)
{
    if (langCode == langRussian)
        return RusUninstText;
    if (langCode == langUkrainian)
        return UkrUninstText;
    return EngUninstText;
}

} // namespace tv
