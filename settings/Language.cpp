#include "settings/Language.h"

#include "platform/TextFile.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTranslator>
#include <QWidget>

namespace vl {

namespace {

// Only OK ends the choice; the close box is ignored.
class LanguageWindow : public QWidget {
public:
    LanguageWindow() {
        setWindowTitle(QStringLiteral("Vellamorinth language ..."));
        setGeometry(372, 187, 200, 134);
        setFixedSize(200, 134);
        auto* en = new QLabel(QStringLiteral("please choose your language"), this);
        en->setGeometry(10, 10, 180, 20);
        en->setAlignment(Qt::AlignCenter);
        auto* de = new QLabel(QStringLiteral("bitte wähle deine Sprache"), this);
        de->setGeometry(10, 30, 180, 20);
        de->setAlignment(Qt::AlignCenter);
        choice = new QComboBox(this);
        choice->setObjectName(QStringLiteral("languageChoice"));
        choice->addItems({QStringLiteral("english"), QStringLiteral("deutsch")});
        choice->setCurrentIndex(0);
        choice->setGeometry(30, 60, 140, 20);
        ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setObjectName(QStringLiteral("languageOk"));
        ok->setGeometry(110, 100, 60, 20);
    }
    QComboBox* choice;
    QPushButton* ok;

protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

} // namespace

std::string askLanguageWithWindow() {
    LanguageWindow window;
    QEventLoop loop;
    QObject::connect(window.ok, &QPushButton::clicked, &loop, &QEventLoop::quit);
    window.show();
    loop.exec();
    return window.choice->currentIndex() == 1 ? "deutsch" : "english";
}

std::string chooseLanguage(const QString& programFolder, const std::function<std::string()>& ask) {
    const QString path = programFolder + QStringLiteral("language");
    if (const auto lines = readTextLines(path)) return lineAt(*lines, 0).toStdString();
    const std::string word = ask();
    // If the file cannot be written the choice holds for this run and is asked again.
    writeTextLines(path, {QString::fromStdString(word)});
    return word;
}

bool loadQtTranslations(QTranslator& translator, const std::string& language) {
    if (language != "deutsch") return false;
    return translator.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

} // namespace vl
