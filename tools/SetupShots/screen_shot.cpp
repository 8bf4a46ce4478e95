// Saves the whole X screen as a PNG file: screen_shot <file.png>
// (for reviewing the setup under Xvfb, where no other grabber is at hand).

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: screen_shot <file.png>\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    return shot.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
