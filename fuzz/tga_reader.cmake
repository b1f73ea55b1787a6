# The TGA reader on any bytes.
quill_fuzz(NAME tga_reader LABELS images LIBS graphics)
