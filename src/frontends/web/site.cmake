# The page's site: one self-contained folder (build/web/site with the `web` preset) that any
# static host can serve. Included by app/ in the browser build, where the program rl00-web is.

set(RL00_SITE_DIR ${PROJECT_BINARY_DIR}/site)
set(RL00_PAGE_DIR ${PROJECT_SOURCE_DIR}/src/frontends/web/page)

# The program: Asyncify lets its synchronous loop yield to the browser and resume; the machine's
# nesting (a game inside the idle loop's event processing, a presentation inside the game) needs
# more room for the suspended frames than the default. The run log's file is a device of the
# page's file system, so the run-time file system is kept.
set_target_properties(rl00-web PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${RL00_SITE_DIR})
target_link_options(rl00-web PRIVATE
    -sASYNCIFY -sASYNCIFY_STACK_SIZE=262144
    -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web -sFORCE_FILESYSTEM=1
    "-sEXPORTED_FUNCTIONS=_main,_malloc,_free"
    "-sEXPORTED_RUNTIME_METHODS=FS")

# The page's own files.
file(GLOB RL00_PAGE_FILES CONFIGURE_DEPENDS ${RL00_PAGE_DIR}/*)
set(RL00_SITE_PAGE_FILES)
foreach(source ${RL00_PAGE_FILES})
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${RL00_SITE_DIR}/${name}
                       COMMAND ${CMAKE_COMMAND} -E copy ${source} ${RL00_SITE_DIR}/${name}
                       DEPENDS ${source} VERBATIM)
    list(APPEND RL00_SITE_PAGE_FILES ${RL00_SITE_DIR}/${name})
endforeach()

# The chart library, pinned by package-lock.json and installed by scripts/web: copied in, so the
# page fetches nothing from elsewhere.
set(RL00_CHART_DIR ${PROJECT_SOURCE_DIR}/node_modules/chart.js)
if(NOT EXISTS ${RL00_CHART_DIR}/dist/chart.umd.min.js)
    message(FATAL_ERROR "chart.js is missing: scripts/web installs the npm packages of the lock file")
endif()
add_custom_command(
    OUTPUT ${RL00_SITE_DIR}/chart.umd.min.js ${RL00_SITE_DIR}/licences/chart.js-LICENSE.md
    COMMAND ${CMAKE_COMMAND} -E copy ${RL00_CHART_DIR}/dist/chart.umd.min.js ${RL00_SITE_DIR}/
    COMMAND ${CMAKE_COMMAND} -E copy ${RL00_CHART_DIR}/LICENSE.md
            ${RL00_SITE_DIR}/licences/chart.js-LICENSE.md
    DEPENDS ${RL00_CHART_DIR}/dist/chart.umd.min.js VERBATIM)

# The IPA P fonts, cut down to the characters the page can show, with their licence.
find_program(RL00_FONT_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
file(GLOB_RECURSE RL00_TEXT_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/src/machine/*.h ${PROJECT_SOURCE_DIR}/src/machine/*.cpp
     ${PROJECT_SOURCE_DIR}/src/platform/*.cpp ${PROJECT_SOURCE_DIR}/src/engine/*.cpp
     ${PROJECT_SOURCE_DIR}/src/session/*.cpp ${PROJECT_SOURCE_DIR}/src/frontends/web/*.cpp)
set(RL00_FONT_TEXT ${CMAKE_CURRENT_BINARY_DIR}/font_text.txt)
add_custom_command(
    OUTPUT ${RL00_FONT_TEXT}
    COMMAND ${RL00_FONT_PYTHON} ${PROJECT_SOURCE_DIR}/tools/font_text.py ${RL00_FONT_TEXT}
            ${RL00_TEXT_SOURCES} ${RL00_PAGE_FILES}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/font_text.py ${RL00_TEXT_SOURCES} ${RL00_PAGE_FILES}
    VERBATIM)
set(RL00_SITE_FONTS)
foreach(font ipafont-gothic/ipagp ipafont-mincho/ipamp)
    get_filename_component(stem ${font} NAME)
    set(ttf /usr/share/fonts/opentype/${font}.ttf)
    add_custom_command(
        OUTPUT ${RL00_SITE_DIR}/fonts/${stem}.woff2
        COMMAND ${CMAKE_COMMAND} -E make_directory ${RL00_SITE_DIR}/fonts
        COMMAND ${RL00_FONT_PYTHON} -m fontTools.subset ${ttf} --text-file=${RL00_FONT_TEXT}
                --flavor=woff2 --layout-features=* --output-file=${RL00_SITE_DIR}/fonts/${stem}.woff2
        DEPENDS ${ttf} ${RL00_FONT_TEXT} VERBATIM)
    list(APPEND RL00_SITE_FONTS ${RL00_SITE_DIR}/fonts/${stem}.woff2)
endforeach()
add_custom_command(
    OUTPUT ${RL00_SITE_DIR}/licences/IPA-Font-License.txt
    COMMAND ${CMAKE_COMMAND} -E copy /usr/share/doc/fonts-ipafont-gothic/copyright
            ${RL00_SITE_DIR}/licences/IPA-Font-License.txt
    DEPENDS /usr/share/doc/fonts-ipafont-gothic/copyright VERBATIM)

# The analysis workbook, packed by the packer compiled for node from the same sources.
add_executable(rl00-web-ods-pack ${PROJECT_SOURCE_DIR}/src/analysis/tools/ods_pack.cpp)
target_include_directories(rl00-web-ods-pack PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_options(rl00-web-ods-pack PRIVATE -sNODERAWFS=1 -sENVIRONMENT=node)
set(RL00_WORKBOOK_SOURCE_DIR ${PROJECT_SOURCE_DIR}/assets/analysis)
file(GLOB_RECURSE RL00_WORKBOOK_SOURCES CONFIGURE_DEPENDS ${RL00_WORKBOOK_SOURCE_DIR}/*)
add_custom_command(
    OUTPUT ${RL00_SITE_DIR}/ATARI.ods
    COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs
            ${CMAKE_CROSSCOMPILING_EMULATOR} --no-experimental-fetch
            $<TARGET_FILE:rl00-web-ods-pack> ${RL00_SITE_DIR}/ATARI.ods ${RL00_WORKBOOK_SOURCE_DIR}
            ${RL00_WORKBOOK_SOURCE_DIR}/Module1.bas
    DEPENDS rl00-web-ods-pack ${RL00_WORKBOOK_SOURCES} VERBATIM)

add_custom_target(rl00_site ALL DEPENDS rl00-web ${RL00_SITE_PAGE_FILES}
    ${RL00_SITE_DIR}/chart.umd.min.js ${RL00_SITE_DIR}/licences/chart.js-LICENSE.md
    ${RL00_SITE_FONTS} ${RL00_SITE_DIR}/licences/IPA-Font-License.txt ${RL00_SITE_DIR}/ATARI.ods)
