#pragma once

namespace Quill {

// Global resource handles, one per manifest id and named after it, bound when
// their resource group has been loaded. Sounds are sound manager ids; -1 means
// not bound (playing it does nothing).
extern int soundBlit;
extern int soundBonus;
extern int soundButton;
extern int soundGameOver;
extern int soundLevel;
extern int soundMeet;
extern int soundRemove;
extern int soundRotate;

} // namespace Quill
