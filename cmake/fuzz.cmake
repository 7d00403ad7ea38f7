# Fuzz targets (clang, libFuzzer) for the parsers of outside input.
