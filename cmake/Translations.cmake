# A Qt program's .ts catalogues, compiled to .qm and embedded as resources
# under ":/translations/", when Qt's Linguist tools are installed
# (qttools5-dev). Defines <TARGET>_TRANSLATIONS on the target so that the
# program initialises the resource <QRC_NAME> only where it exists, and a
# target <UPDATE_TARGET> that refreshes the .ts files from SOURCE_DIRS:
#
#   add_embedded_translations(quorvelins_core QRC_NAME installer_translations
#     UPDATE_TARGET quorvelins_update_translations DEFINE QUORVELINS_TRANSLATIONS
#     SOURCE_DIRS . TS translations/QuorvelIns_en.ts translations/QuorvelIns_it.ts)
find_package(Qt5 COMPONENTS LinguistTools QUIET)

function(add_embedded_translations target)
  cmake_parse_arguments(ARG "" "QRC_NAME;UPDATE_TARGET;DEFINE" "SOURCE_DIRS;TS" ${ARGN})
  if(NOT Qt5LinguistTools_FOUND)
    return()
  endif()
  set(ts_files)
  foreach(ts ${ARG_TS})
    list(APPEND ts_files ${CMAKE_CURRENT_SOURCE_DIR}/${ts})
  endforeach()
  set_source_files_properties(${ts_files} PROPERTIES OUTPUT_LOCATION ${CMAKE_CURRENT_BINARY_DIR}/translations)
  qt5_add_translation(qm_files ${ts_files})
  set(qrc ${CMAKE_CURRENT_BINARY_DIR}/${ARG_QRC_NAME}.qrc)
  set(qrc_text "<RCC>\n  <qresource prefix=\"/translations\">\n")
  foreach(qm ${qm_files})
    get_filename_component(qm_name ${qm} NAME)
    string(APPEND qrc_text "    <file alias=\"${qm_name}\">${qm}</file>\n")
  endforeach()
  string(APPEND qrc_text "  </qresource>\n</RCC>\n")
  file(WRITE ${qrc} "${qrc_text}")
  qt5_add_resources(qm_sources ${qrc})
  target_sources(${target} PRIVATE ${qm_files} ${qm_sources})
  set_source_files_properties(${qm_sources} PROPERTIES SKIP_AUTOGEN ON)
  target_compile_definitions(${target} PRIVATE ${ARG_DEFINE})
  add_custom_target(${ARG_UPDATE_TARGET}
    COMMAND Qt5::lupdate -no-obsolete -locations none ${ARG_SOURCE_DIRS} -ts ${ts_files}
    WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
    VERBATIM)
endfunction()
