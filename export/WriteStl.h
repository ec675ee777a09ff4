#pragma once
#include <string_view>

class BufferedWriter;
class SolidMesh;

// Writes a binary STL of the solid: an 80-byte header holding credit (cut at 80 bytes,
// the rest zeros), the triangle count, then each triangle in the solid's order with its
// unit normal, formed in double from its corners and pointing the way they turn, and
// its corners as the solid gives them. Throws FileWriteError as out does.
void WriteStl(BufferedWriter& out, const SolidMesh& solid, std::string_view credit);
