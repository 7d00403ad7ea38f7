# Pictures, icon, version information and manifest of Leafcatch.exe.
#
# The pictures are text pixel maps in forms/pictures; at build time pixmap.py
# turns them into glyph1.bmp, glyph2.bmp and leafcatch.ico in
# ${CMAKE_BINARY_DIR}/pictures, and forms/leafcatch.rc puts those, the version
# information and forms/leafcatch.manifest into the program.
#
#   lc_add_resources(target)   link forms/leafcatch.rc into a Windows program
#
# Included from cmake/windows.cmake, after lc_windows_test() is defined.

enable_language(RC)
find_program(LC_PYTHON3 NAMES python3 REQUIRED)

set(LC_PICTURES_SOURCE ${CMAKE_SOURCE_DIR}/forms/pictures)
set(LC_PICTURES_DIR ${CMAKE_BINARY_DIR}/pictures)
set(LC_RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/forms/leafcatch.rc)

# lc_draw_picture(bmp|ico MAP.txt OUT [extra inputs...]): OUT in LC_PICTURES_DIR.
function(lc_draw_picture kind map output)
    set(inputs ${LC_PICTURES_SOURCE}/pixmap.py ${LC_PICTURES_SOURCE}/${map})
    foreach(extra ${ARGN})
        list(APPEND inputs ${LC_PICTURES_SOURCE}/${extra})
    endforeach()
    add_custom_command(
        OUTPUT ${LC_PICTURES_DIR}/${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${LC_PICTURES_DIR}
        COMMAND ${LC_PYTHON3} ${LC_PICTURES_SOURCE}/pixmap.py ${kind}
                ${LC_PICTURES_SOURCE}/${map} ${LC_PICTURES_DIR}/${output}
        DEPENDS ${inputs}
        COMMENT "Drawing pictures/${output} from forms/pictures/${map}"
        VERBATIM)
endfunction()

lc_draw_picture(bmp glyph1.txt glyph1.bmp)
lc_draw_picture(bmp glyph2.txt glyph2.bmp glyph1.txt)   # an overlay on glyph1
lc_draw_picture(ico leafcatch_icon.txt leafcatch.ico)

# Everything the resource script reads besides itself.
set(LC_RESOURCE_INPUTS
    ${LC_PICTURES_DIR}/glyph1.bmp
    ${LC_PICTURES_DIR}/glyph2.bmp
    ${LC_PICTURES_DIR}/leafcatch.ico
    ${CMAKE_SOURCE_DIR}/forms/leafcatch.manifest
    ${CMAKE_SOURCE_DIR}/forms/resource_ids.h)
add_custom_target(lc_pictures DEPENDS ${LC_RESOURCE_INPUTS})

# Adds the icon, the button glyphs, the version information and the manifest
# to a Windows program. Call it once per program, from the directory that
# defines the program.
function(lc_add_resources target)
    target_sources(${target} PRIVATE ${LC_RESOURCE_SCRIPT})
    add_dependencies(${target} lc_pictures)
    # Rebuild the resource object when a picture or the manifest changes
    # (set, not appended, so that a second program does not list them twice).
    set_property(SOURCE ${LC_RESOURCE_SCRIPT} PROPERTY OBJECT_DEPENDS ${LC_RESOURCE_INPUTS})
    # windres looks for the files named in the script on its include path.
    target_include_directories(${target} PRIVATE
        $<$<COMPILE_LANGUAGE:RC>:${LC_PICTURES_DIR}>
        $<$<COMPILE_LANGUAGE:RC>:${CMAKE_SOURCE_DIR}/forms>)
endfunction()

# A small Windows program that carries the resources and checks them under Wine.
lc_windows_test(resource_probe tests/wine/resource_probe.cpp)
lc_add_resources(resource_probe)
target_link_libraries(resource_probe PRIVATE version gdi32)
