#include "platform/Dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace vl {

void QtDialogs::message(const QString& title, const QString& text) {
    QMessageBox::information(parent_, title, text);
}

bool QtDialogs::askYesNo(const QString& title, const QString& text, EnterAnswers enter) {
    const auto preset = enter == EnterAnswers::No ? QMessageBox::No : QMessageBox::Yes;
    return QMessageBox::question(parent_, title, text, QMessageBox::Yes | QMessageBox::No, preset) ==
           QMessageBox::Yes;
}

QString QtDialogs::chooseOpenFile(const QString& title, const QString& folder, const QString& filter) {
    // A filter's patterns may spell every case out ("*.[wW][aA][vV]"); its text says enough.
    return QFileDialog::getOpenFileName(parent_, title, folder, filter, nullptr, QFileDialog::HideNameFilterDetails);
}

QString QtDialogs::chooseSaveFile(const QString& title, const QString& folder, const QString& filter) {
    return QFileDialog::getSaveFileName(parent_, title, folder, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

std::optional<QColor> QtDialogs::chooseColour(const QColor& initial) {
    const QColor c = QColorDialog::getColor(initial, parent_);
    if (!c.isValid()) return std::nullopt;
    return c;
}

void ScriptedDialogs::message(const QString& title, const QString& text) {
    asked.push_back({"message", title, text});
}

bool ScriptedDialogs::askYesNo(const QString& title, const QString& text, EnterAnswers enter) {
    asked.push_back({"question", title, text, enter});
    if (yesNoAnswers.empty()) return false;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::nextFileAnswer(const char* kind, const QString& title) {
    asked.push_back({kind, title, {}});
    if (fileAnswers.empty()) return {};
    QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::chooseOpenFile(const QString& title, const QString&, const QString&) {
    return nextFileAnswer("open", title);
}

QString ScriptedDialogs::chooseSaveFile(const QString& title, const QString&, const QString&) {
    return nextFileAnswer("save", title);
}

std::optional<QColor> ScriptedDialogs::chooseColour(const QColor&) {
    asked.push_back({"colour", {}, {}});
    if (colourAnswers.empty()) return std::nullopt;
    auto answer = colourAnswers.front();
    colourAnswers.pop_front();
    return answer;
}

} // namespace vl
