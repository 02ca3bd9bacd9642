#pragma once
// The interface language, chosen once and kept in the file "language".

#include <QString>

class QTranslator;

#include <functional>
#include <string>

namespace vl {

// Reads the first line of the file "language" in the program folder; when there is no
// such file, asks with `ask` (which answers "english" or "deutsch") and stores the answer.
std::string chooseLanguage(const QString& programFolder, const std::function<std::string()>& ask);

// Loads the texts Qt itself puts into our windows (standard buttons, hotkey fields, file
// pickers) in the chosen language; false for English or when none are installed.
bool loadQtTranslations(QTranslator& translator, const std::string& language);

// The small language window; waits for OK and answers the chosen word.
std::string askLanguageWithWindow();

} // namespace vl
