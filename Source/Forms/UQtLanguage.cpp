#include "UQtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace tv {

void ApplyQtTranslations(TLanguage language)
{
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    const char* name = language == langRussian     ? "qtbase_ru"
                       : language == langUkrainian ? "qtbase_uk"
                                                   : nullptr;
    if (!name || !QCoreApplication::instance()) return;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
}

} // namespace tv
