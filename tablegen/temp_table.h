// The empty temporary-word table (temp.dmg): 512 fixed slots, none in use.
#pragma once
#include <cstdint>
#include <vector>

// The 200,864 bytes of an empty temporary table.
std::vector<uint8_t> MakeEmptyTempTableBytes();
