# Release files: both programs and the notes for Windows users.
#
# Each Windows tree puts its own Leafcatch.exe, stripped, into one shared folder
# (out/release at the top of the source tree unless LC_RELEASE_DIR says
# otherwise), as Leafcatch-x86.exe (win32) or Leafcatch-x64.exe (win64), and
# with it the notes from docs/windows, converted from UTF-8 with LF line ends
# to Shift-JIS with CR LF line ends, as Notepad on Japanese Windows reads them.
# The target `release` is part of ALL, so building both trees fills the folder.

set(LC_RELEASE_DIR ${CMAKE_SOURCE_DIR}/out/release CACHE PATH "Folder that receives the release files")

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(LC_RELEASE_EXE ${LC_RELEASE_DIR}/Leafcatch-x64.exe)
else()
    set(LC_RELEASE_EXE ${LC_RELEASE_DIR}/Leafcatch-x86.exe)
endif()

# The program without its debugging information; it imports only system DLLs.
add_custom_command(
    OUTPUT ${LC_RELEASE_EXE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${LC_RELEASE_DIR}
    COMMAND ${CMAKE_STRIP} --strip-all -o ${LC_RELEASE_EXE} $<TARGET_FILE:Leafcatch>
    DEPENDS Leafcatch
    COMMENT "Release: ${LC_RELEASE_EXE}"
    VERBATIM)

# The notes: written into this tree first and copied only when they differ, so
# that the two trees never write the shared copies at the same time for nothing.
set(LC_TO_SHIFT_JIS ${CMAKE_BINARY_DIR}/release/to_shift_jis.py)
file(CONFIGURE OUTPUT ${LC_TO_SHIFT_JIS} @ONLY CONTENT [[
# Converts a UTF-8 text with LF line ends to Shift-JIS with CR LF line ends.
import sys
text = open(sys.argv[1], encoding="utf-8", newline="").read()
open(sys.argv[2], "wb").write(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932"))
]])
set(LC_RELEASE_OUTPUTS ${LC_RELEASE_EXE})
foreach(note readme-ja.txt readme-en.txt)
    set(source ${CMAKE_SOURCE_DIR}/docs/windows/${note})
    set(converted ${CMAKE_BINARY_DIR}/release/${note})
    add_custom_command(
        OUTPUT ${LC_RELEASE_DIR}/${note}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/release ${LC_RELEASE_DIR}
        COMMAND ${LC_PYTHON3} ${LC_TO_SHIFT_JIS} ${source} ${converted}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${converted} ${LC_RELEASE_DIR}/${note}
        COMMAND ${CMAKE_COMMAND} -E touch_nocreate ${LC_RELEASE_DIR}/${note}
        DEPENDS ${source} ${LC_TO_SHIFT_JIS}
        COMMENT "Release: ${LC_RELEASE_DIR}/${note} (Shift-JIS, CR LF)"
        VERBATIM)
    list(APPEND LC_RELEASE_OUTPUTS ${LC_RELEASE_DIR}/${note})
endforeach()

add_custom_target(release ALL DEPENDS ${LC_RELEASE_OUTPUTS})
