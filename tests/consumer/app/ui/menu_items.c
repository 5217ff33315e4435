/* The menu in a constant table: each item is translated where it is shown. */
#include "menu_items.h"

#define N_(text) text

const char *const menu_items[MENU_ITEM_COUNT] = {N_("Settings"), N_("Brightness"), N_("Exit")};
