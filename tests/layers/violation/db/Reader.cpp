// A lower folder reaching up: the layer check must refuse this tree.
#include "db/Reader.h"
#include "app/Form1.h"
