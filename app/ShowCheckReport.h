#pragma once
// The show check's report: one line a problem and a summary for people, or JSON for
// machines.

#include <QByteArray>

namespace vl {

class InterfaceTexts;
struct ShowCheck;

QByteArray showCheckText(const ShowCheck& check, const InterfaceTexts& texts);
QByteArray showCheckJson(const ShowCheck& check, const InterfaceTexts& texts);

} // namespace vl
