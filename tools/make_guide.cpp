// vl-make-guide README GUIDE: turns the README into the user guide page that HELP opens,
// a plain HTML file any browser shows without the network.
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vl-make-guide README.md guide.html\n");
        return 2;
    }
    QGuiApplication app(argc, argv); // fonts for the document's layout
    QFile readme(QString::fromLocal8Bit(argv[1]));
    if (!readme.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vl-make-guide: cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument document;
    // Read on a screen, not printed small: the browser's own sans-serif at a reading size.
    QFont font(QStringLiteral("sans-serif"));
    font.setPointSize(12);
    document.setDefaultFont(font);
    document.setMarkdown(QString::fromUtf8(readme.readAll()));
    document.setMetaInformation(QTextDocument::DocumentTitle, QStringLiteral("Vellamorinth user guide"));
    const QByteArray html = document.toHtml().toUtf8();
    QSaveFile guide(QString::fromLocal8Bit(argv[2]));
    if (!guide.open(QIODevice::WriteOnly) || guide.write(html) != html.size() || !guide.commit()) {
        std::fprintf(stderr, "vl-make-guide: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
