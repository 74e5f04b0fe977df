# ICC profiles of JPEG files through Pillow.
#   pil_icc.py read FILE...           writes each file's profile to FILE.pil.icc and prints
#                                     "FILE LENGTH" (LENGTH -1 when Pillow finds no profile)
#   pil_icc.py write OUT.jpg PROFILE  saves a small picture with the profile's bytes
#   pil_icc.py srgb OUT.icc           writes the sRGB profile that Pillow's colour management makes
import sys
from PIL import Image, ImageCms

if sys.argv[1] == "read":
    for path in sys.argv[2:]:
        with Image.open(path) as im:
            icc = im.info.get("icc_profile")
        if icc is not None:
            with open(path + ".pil.icc", "wb") as f:
                f.write(icc)
        print(path, -1 if icc is None else len(icc))
elif sys.argv[1] == "write":
    with open(sys.argv[3], "rb") as f:
        icc = f.read()
    im = Image.new("RGB", (24, 16))
    im.putdata([(x * 10, y * 15, 128) for y in range(16) for x in range(24)])
    im.save(sys.argv[2], quality=90, icc_profile=icc)
elif sys.argv[1] == "srgb":
    with open(sys.argv[2], "wb") as f:
        f.write(ImageCms.ImageCmsProfile(ImageCms.createProfile("sRGB")).tobytes())
