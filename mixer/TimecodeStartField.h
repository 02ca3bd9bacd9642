#pragma once
// The program editor's "TC start" field: the song's timecode start as the song folder's file
// holds it, kept when the program is saved.

#include "songs/TimecodeStartFile.h"

#include <QString>

#include <optional>

class QLineEdit;

namespace vl {

class InterfaceTexts;

class TimecodeStartField {
  public:
    TimecodeStartField(QLineEdit& edit, const InterfaceTexts& texts);

    // Shows the start kept in the file at `path` (see timecodeStartPath).
    void load(const QString& path);
    // The label typed; nullopt while it is none.
    std::optional<TimecodeStart> value() const;

    enum class Kept { Unchanged, Written, Invalid, Failed };
    // Writes the label typed into the file the field was loaded from, when it changed.
    Kept keep();

  private:
    void markValidity();

    QLineEdit& edit_;
    const InterfaceTexts& texts_;
    QString path_;
    TimecodeStart loaded_;
};

} // namespace vl
