/* The menu's messages, in the current language. */
#include <stddef.h>

#include "ui_languages.h"

#define _(text) ui_text(text)
#define N_(text) text

static const char *const items[] = {N_("Settings"), N_("Brightness"), N_("Exit")};

const char *menu_item(unsigned item);
const char *menu_item(unsigned item)
{
    return item < sizeof items / sizeof items[0] ? _(items[item]) : NULL;
}

const char *files(unsigned long n);
const char *files(unsigned long n)
{
    return ui_ntext("%lu file", "%lu files", n);
}
