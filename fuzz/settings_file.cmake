# Random bytes as a settings file.
quill_fuzz(NAME settings_file LABELS settings LIBS platform)
