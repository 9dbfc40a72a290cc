#include "undo/undo_kinds.h"

#include <array>
#include <cstddef>

namespace qm {

namespace {

struct KindRow {
    UndoClass cls;
    uint16_t flags;
};

constexpr std::array<KindRow, kUndoKindCount> makeTable()
{
    std::array<KindRow, kUndoKindCount> t{};
    const auto set = [&t](int from, int to, UndoClass cls, uint16_t flags) {
        for (int k = from; k <= to; ++k)
            t[std::size_t(k)] = {cls, flags};
    };
    set(0, 6, UndoClass::Image, 0x0000);
    set(7, 11, UndoClass::SelfInverse, 0x0000);
    set(12, 15, UndoClass::SelfInverse, 0x0001);
    set(16, 16, UndoClass::AlphaPlane, 0x0030);
    set(17, 17, UndoClass::Property, 0x0001);
    set(18, 20, UndoClass::Property, 0x0C01);
    set(21, 21, UndoClass::Property, 0x0E01);
    set(22, 22, UndoClass::Property, 0x0001);
    set(23, 23, UndoClass::Property, 0x01C0);
    set(24, 24, UndoClass::Property, 0x1040);
    set(25, 25, UndoClass::Property, 0x0040);
    set(26, 29, UndoClass::Structure, 0x0011);
    set(30, 30, UndoClass::Structure, 0x0001);
    set(31, 31, UndoClass::Structure, 0x0019);
    set(32, 32, UndoClass::Structure, 0x0011);
    set(33, 33, UndoClass::Structure, 0x0013);
    set(34, 34, UndoClass::Structure, 0x0193);
    set(35, 35, UndoClass::Structure, 0x0011);
    set(36, 36, UndoClass::Structure, 0x0031);
    set(37, 39, UndoClass::Structure, 0x0001);
    set(40, 40, UndoClass::Structure, 0x0003);
    set(41, 43, UndoClass::Structure, 0x0017);
    set(44, 47, UndoClass::Mask, 0x0190);
    set(48, 51, UndoClass::Mask, 0x0180);
    set(52, 52, UndoClass::Mask, 0x0080);
    set(53, 53, UndoClass::Mask, 0x0190);
    set(54, 54, UndoClass::Mask, 0x1000);
    return t;
}

constexpr auto kKinds = makeTable();

} // namespace

UndoClass undoClassOf(int kind)
{
    return kind >= 0 && kind < kUndoKindCount ? kKinds[std::size_t(kind)].cls : UndoClass::None;
}

uint16_t undoFlagsOf(int kind)
{
    return kind >= 0 && kind < kUndoKindCount ? kKinds[std::size_t(kind)].flags : 0;
}

} // namespace qm
