#define GREETING "Мир"
