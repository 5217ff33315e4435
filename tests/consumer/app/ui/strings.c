#include "strings.h" /* beside this file, not beside its encoded copy */

const char menu_title[] = "Настройки";
