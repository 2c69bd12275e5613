# The Windows package: krview with the plug-in and the engine's libraries beside it, the media and a
# short README, as one zip (./kr package, or the build's `package` target) that unpacks into a folder
# where krview.exe runs as it is.
install(TARGETS krview D3DDev krngn krcr RUNTIME DESTINATION . ARCHIVE DESTINATION lib
        EXCLUDE_FROM_ALL)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/media/ DESTINATION media
        PATTERN "*.ini" EXCLUDE PATTERN "*.log" EXCLUDE PATTERN "*.png" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/package-readme.txt DESTINATION . RENAME README.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME krview)
set(CPACK_PACKAGE_VENDOR "Kr engine")
set(CPACK_PACKAGE_FILE_NAME krview-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)  # the build keeps its debug information; the package needs none
include(CPack)
