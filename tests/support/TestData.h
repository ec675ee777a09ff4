#pragma once
#include <filesystem>

// The BMP Suite files the reader is tested against, kept in the repository.
inline std::filesystem::path SuiteFolder()
{
    return std::filesystem::path(RF_SOURCE_DIR) / "tests" / "data" / "bmpsuite";
}
