#include "settings/MidiControlCaption.h"

namespace vl {

QString midiControlCaption(const MidiControlSlot& slot) {
    if (slot.status == 0) return QStringLiteral("---");
    const char* prefix = "?";
    switch (slot.status) {
    case 0xC0:
        prefix = "PCH";
        break;
    case 0x90:
    case 0x80:
        prefix = "N:";
        break;
    case 0xB0:
        prefix = "C:";
        break;
    case 0xE0:
        prefix = "Pit:";
        break;
    default:
        break;
    }
    return QString::fromLatin1(prefix) + QString::number(slot.data1);
}

} // namespace vl
