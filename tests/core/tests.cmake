# Nothing here needs a window: run on the plain screen, which starts faster than a desktop.
kr_test_program(core PLAIN NO_WINDOWS)
