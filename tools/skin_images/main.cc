// skin_images: draws the skin package's images at build time.
//   skin_images <theme folder> <variant>       e.g. .../themes/default-hdpi default-hdpi
//   skin_images --sheet <skin root> <out.png>  a contact sheet of all variants
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/skin_images/contact_sheet.h"
#include "tools/skin_images/skin_image_catalog.h"
#include "tools/skin_images/skin_image_writer.h"

int main(int argc, char** argv) {
  using namespace skin_tools;
  std::string error;
  if (argc == 4 && std::strcmp(argv[1], "--sheet") == 0) {
    if (ContactSheet::Write(argv[2], argv[3], &error) != 0) {
      std::fprintf(stderr, "skin_images: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: skin_images <theme folder> <variant>\n"
                 "       skin_images --sheet <skin root> <out.png>\n");
    return 2;
  }
  const SkinVariant* variant = SkinImageCatalog::FindVariant(argv[2]);
  if (!variant) {
    std::fprintf(stderr, "skin_images: unknown variant \"%s\"\n", argv[2]);
    return 2;
  }
  if (SkinImageWriter::WriteVariant(argv[1], variant->percent, &error) != 0) {
    std::fprintf(stderr, "skin_images: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
