# Damaged files and texts: one device at a time on the virtual desktop; a generous timeout for a
# loaded machine (the run takes about two minutes).
kr_test_program(badinput TIMEOUT 480)
