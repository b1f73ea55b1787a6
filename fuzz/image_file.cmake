# PNG and JPEG bytes through the public loading entry.
quill_fuzz(NAME image_file LABELS images LIBS graphics)
