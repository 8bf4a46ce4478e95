#include "UQtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace tv {

void ApplyQtTranslations(int language)
{
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    const char* name = language == 0 ? "qtbase_ru" : language == 1 ? "qtbase_uk" : nullptr;
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
