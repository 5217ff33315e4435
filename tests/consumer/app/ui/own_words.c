#include <stddef.h>

const char *const own_words[] = {"Grüße", NULL};
