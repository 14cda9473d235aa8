// stb_image's code, compiled here: Debian links it as a shared library, Windows has none, so the
// Windows build takes the header's implementation (BMP only, the one format receipts use).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb_image.h>
