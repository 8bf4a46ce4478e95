#pragma once
// A font set-up of the test's own: fontconfig sees only the given folders,
// and the sans-serif face (also what Tahoma and Arial ask for, and where any
// family it lacks falls back, as on every desktop) is the given family,
// hinted as most desktops hint, so that every machine measures the same
// widths. Call before the application is made.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TPrivateFonts {
public:
    TPrivateFonts(const QStringList& folders, const QString& family)
    {
        QByteArray conf = "<?xml version=\"1.0\"?>\n<fontconfig>\n";
        for (const QString& folder : folders)
            conf += "<dir>" + folder.toUtf8() + "</dir>\n";
        conf += "<cachedir>" + FDir.path().toUtf8() + "/cache</cachedir>\n";
        conf += "<match target=\"pattern\"><edit name=\"family\" mode=\"append_last\">"
                "<string>sans-serif</string></edit></match>\n";
        // Slight hinting, as most desktops set it: advances keep their
        // fractions, so a text can be a part of a pixel wider than its
        // rounded width.
        conf += "<match target=\"font\"><edit name=\"hinting\" mode=\"assign\"><bool>true</bool></edit>"
                "<edit name=\"hintstyle\" mode=\"assign\"><const>hintslight</const></edit>"
                "<edit name=\"antialias\" mode=\"assign\"><bool>true</bool></edit></match>\n";
        for (const char* asked : {"sans-serif", "Tahoma", "Arial"})
            conf += QByteArray("<alias><family>") + asked + "</family><prefer><family>" + family.toUtf8() +
                    "</family></prefer></alias>\n";
        conf += "</fontconfig>\n";
        QFile file(FDir.filePath("fonts.conf"));
        FOk = file.open(QIODevice::WriteOnly) && file.write(conf) == conf.size();
        file.close();
        qputenv("FONTCONFIG_FILE", file.fileName().toLocal8Bit());
    }
    bool Ok() const { return FOk; }

private:
    QTemporaryDir FDir;
    bool FOk = false;
};
