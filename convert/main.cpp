// relief-foundry-convert: height-map pictures to terrain meshes in batches, without a
// window. See ConvertCommand.h and packaging/relief-foundry-convert.1.
#include <iostream>
#include <string>
#include <vector>

#include "convert/ConvertCommand.h"
#include "files/PictureFile.h"

#ifdef RF_CONVERT_IMPORTS_PICTURES
#include <QFile>

#include "import/PictureImport.h"

namespace {

// What the editor reads: Load BMP's kinds as Load BMP reads them, PNG, JPEG, TIFF and the
// other formats as Import Picture reads them (Qt Gui's image readers, no display).
Picture ReadInput(const std::string& fileName)
{
    return ReadAnyPicture(QFile::decodeName(fileName.c_str()));
}

}  // namespace
#endif

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
#ifdef RF_CONVERT_IMPORTS_PICTURES
    return RunConvert(arguments, std::cout, std::cerr, ReadInput);
#else
    return RunConvert(arguments, std::cout, std::cerr, LoadPictureFile);
#endif
}
