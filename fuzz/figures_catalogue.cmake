# The piece catalogue reader (properties/figures.dat is untrusted input).
quill_fuzz(NAME figures_catalogue LABELS rules LIBS game)
