#pragma once
// The collection view's reads and writes live in the store; the program names them here.
#include "rails/collection/CollectionData.h"
