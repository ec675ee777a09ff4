#include "export/HeightField.h"

#include <algorithm>
#include <stdexcept>

#include "model/HeightScale.h"

void CheckHeightField(const HeightField& field)
{
    if (field.width < 1 || field.height < 1 || field.width > kMaxMeshSide || field.height > kMaxMeshSide)
        throw std::invalid_argument("height field: a side out of 1..65535");
    if (field.pixelCount() > kMaxMeshPixels)
        throw std::invalid_argument("height field: more than 2^28 pixels");
    if (field.sums == nullptr)
        throw std::invalid_argument("height field: no sums");
    // The scans' integer ranges rest on this bound.
    if (*std::max_element(field.sums, field.sums + field.pixelCount()) > kMaxChannelSum)
        throw std::invalid_argument("height field: a sum above 765");
}
