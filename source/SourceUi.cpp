// Source selection windows.
