# Our GIF decoder on any bytes.
quill_fuzz(NAME gif_reader LABELS images LIBS graphics)
