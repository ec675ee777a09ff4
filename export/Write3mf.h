#pragma once

class BufferedWriter;
class SolidMesh;

// Writes the solid as a 3MF package (the 3D Manufacturing Format: a zip of
// [Content_Types].xml, _rels/.rels and 3D/3dmodel.model) into out: unit millimetre, one
// object of type model whose mesh lists each vertex once and the triangles by vertex
// number in the solid's order and turning, and one build item for it. Every number is
// the shortest decimal that reads back as the solid's float, so the package holds the
// STL's coordinates exactly; no locale is involved. The model is written as the archive
// pulls it, a piece at a time. Throws as WriteZipPackage does.
void Write3mf(BufferedWriter& out, const SolidMesh& solid);

// The deflate level of the package's parts (see WriteZipPackage).
inline constexpr int kThreeMfLevel = 1;
