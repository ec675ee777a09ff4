#pragma once
#include <filesystem>

// The BMP Suite files the reader is tested against.
inline std::filesystem::path SuiteFolder() { return std::filesystem::path(RF_SHARED_DIR) / "bmpsuite"; }
