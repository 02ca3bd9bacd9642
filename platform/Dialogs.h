#pragma once
// Every question, message and file choice the program puts to the user goes through
// this interface, so handlers that ask can run headless with scripted answers.

#include <QColor>
#include <QString>

#include <deque>
#include <optional>
#include <vector>

class QWidget;

namespace vl {

// What Enter answers to a yes/no question; Escape always answers No. A question whose Yes
// destroys something defaults to No, so a stray Enter keeps the data.
enum class EnterAnswers { Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void message(const QString& title, const QString& text) = 0;
    virtual bool askYesNo(const QString& title, const QString& text, EnterAnswers enter = EnterAnswers::Yes) = 0;
    // Empty when the user cancels.
    virtual QString chooseOpenFile(const QString& title, const QString& folder, const QString& filter) = 0;
    virtual QString chooseSaveFile(const QString& title, const QString& folder, const QString& filter) = 0;
    virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;
};

// Modal Qt dialogs over a parent window.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void message(const QString& title, const QString& text) override;
    bool askYesNo(const QString& title, const QString& text, EnterAnswers enter = EnterAnswers::Yes) override;
    QString chooseOpenFile(const QString& title, const QString& folder, const QString& filter) override;
    QString chooseSaveFile(const QString& title, const QString& folder, const QString& filter) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;

private:
    QWidget* parent_;
};

// Answers from a script and a record of what was asked; for tests.
class ScriptedDialogs : public Dialogs {
public:
    struct Asked {
        QString kind; // "message", "question", "open", "save", "colour"
        QString title;
        QString text;
        EnterAnswers enter = EnterAnswers::Yes; // questions only
    };
    std::deque<bool> yesNoAnswers;      // an empty script answers No
    std::deque<QString> fileAnswers;    // an empty script cancels
    std::deque<std::optional<QColor>> colourAnswers;
    std::vector<Asked> asked;

    void message(const QString& title, const QString& text) override;
    bool askYesNo(const QString& title, const QString& text, EnterAnswers enter = EnterAnswers::Yes) override;
    QString chooseOpenFile(const QString& title, const QString& folder, const QString& filter) override;
    QString chooseSaveFile(const QString& title, const QString& folder, const QString& filter) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;

private:
    QString nextFileAnswer(const char* kind, const QString& title);
};

} // namespace vl
