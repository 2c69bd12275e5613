# The crash report needs no window: the plain screen starts fastest.
kr_test_program(crash PLAIN NO_WINDOWS TIMEOUT 60)
