#pragma once
#include "export/MeshFaces.h"

class BufferedWriter;

// Writes the DXF terrain mesh of heights: the ENTITIES section with one 3DFACE per face
// that ForEachMeshFace lists (the options leave out black or white cells; the base face
// comes last when they agree), then the trailer with the program's credit and a line for
// each option that is off. CR LF line ends; the numbers in the file's fixed formats.
// Throws FileWriteError as out does.
void WriteDxf(BufferedWriter& out, const MeshHeights& heights, const MeshOptions& options);
