# Drawing with hostile rectangles, positions, colours and texts: nothing may
# read or write outside an image, and text layout must always finish.
quill_fuzz(NAME graphics_draw LABELS graphics LIBS graphics)
