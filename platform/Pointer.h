#pragma once
// The screen's mouse pointer, applying to the whole program.

namespace platform {

enum class Pointer { Default, Arrow, Wait, IBeam };

void setScreenPointer(Pointer p);
Pointer screenPointer();

} // namespace platform
