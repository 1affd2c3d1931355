// A higher folder using a lower one: allowed.
#include "app/Form1.h"
#include "db/Reader.h"
