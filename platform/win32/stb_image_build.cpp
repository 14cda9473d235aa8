// stb_image's code, compiled here: Debian links it as a shared library, Windows has none, so the
// Windows build takes the header's implementation: BMP, the one format receipts use (the loader
// checks the BMP headers first), and PNG, for tests that read reviewed images.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#include <stb_image.h>
