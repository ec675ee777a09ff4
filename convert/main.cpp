// relief-foundry-convert: height-map pictures to terrain meshes in batches, without a
// window. See ConvertCommand.h and packaging/relief-foundry-convert.1.
#include <iostream>
#include <string>
#include <vector>

#include "convert/ConvertCommand.h"
#include "files/PictureFile.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return RunConvert(arguments, std::cout, std::cerr, LoadPictureFile);
}
