# Nothing here needs a window: run on the plain screen, which starts faster than a desktop.
kr_test_program(foundation PLAIN NO_WINDOWS)
