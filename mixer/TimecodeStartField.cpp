#include "mixer/TimecodeStartField.h"

#include "core/InterfaceTexts.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace vl {

TimecodeStartField::TimecodeStartField(QLineEdit& edit, const InterfaceTexts& texts) : edit_(edit), texts_(texts) {
    edit_.setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,2}(:[0-9]{0,2}(:[0-9]{0,2}([:;.][0-9]{0,2})?)?)?")), &edit_));
    QObject::connect(&edit_, &QLineEdit::textChanged, &edit_, [this] { markValidity(); });
}

void TimecodeStartField::load(const QString& path) {
    path_ = path;
    loaded_ = readTimecodeStart(path).start;
    edit_.setText(formatTimecodeStart(loaded_));
}

std::optional<TimecodeStart> TimecodeStartField::value() const {
    const QByteArray text = edit_.text().toLatin1();
    return parseTimecodeStart(std::string_view(text.constData(), std::size_t(text.size())));
}

TimecodeStartField::Kept TimecodeStartField::keep() {
    const auto start = value();
    if (!start) return Kept::Invalid;
    if (*start == loaded_ || path_.isEmpty()) return Kept::Unchanged;
    if (!writeTimecodeStart(path_, *start)) return Kept::Failed;
    loaded_ = *start;
    return Kept::Written;
}

void TimecodeStartField::markValidity() {
    const bool valid = value().has_value();
    edit_.setStyleSheet(valid ? QString() : QStringLiteral("QLineEdit { color: rgb(242, 41, 13); }"));
    edit_.setToolTip(valid ? texts_[StatusText::TimecodeStartTooltip] : texts_[StatusText::TimecodeStartInvalid]);
}

} // namespace vl
