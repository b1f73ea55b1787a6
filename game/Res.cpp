#include "game/Res.h"

namespace Quill {

int soundBlit = -1;
int soundBonus = -1;
int soundButton = -1;
int soundGameOver = -1;
int soundLevel = -1;
int soundMeet = -1;
int soundRemove = -1;
int soundRotate = -1;

} // namespace Quill
