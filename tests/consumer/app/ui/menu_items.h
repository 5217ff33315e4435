#define MENU_ITEM_COUNT 3u
extern const char *const menu_items[MENU_ITEM_COUNT];
