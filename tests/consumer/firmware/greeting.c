/* A UI text of the firmware, compiled in the font's codes. */
const char greeting[] = "Привет";
