// engine/raster/rasterapi.cpp -- the tables the engine lends the span loops.
#include "engine/raster/rasterapi.h"

uint8_t* rwLogTable = nullptr;
uint32_t* rwSpanExpTable = nullptr;
