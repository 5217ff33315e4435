extern const char menu_title[];
