# Runtime files beside the program: the default logo, the sample branding file, the HTML help
# and, when chmcmd is available, the compiled help file built from the same pages.
set(QUILLMARK_HELP_SOURCE_DIR ${PROJECT_SOURCE_DIR}/help)
set(QUILLMARK_RESOURCE_SOURCE_DIR ${PROJECT_SOURCE_DIR}/resources)

file(GLOB QUILLMARK_HELP_PAGES CONFIGURE_DEPENDS ${QUILLMARK_HELP_SOURCE_DIR}/*.html
     ${QUILLMARK_HELP_SOURCE_DIR}/*.css)
set(QUILLMARK_HELP_PROJECT_FILES
    ${QUILLMARK_HELP_SOURCE_DIR}/Quillmark_Help.hhp
    ${QUILLMARK_HELP_SOURCE_DIR}/Quillmark_Help.hhc)
set(QUILLMARK_RESOURCE_FILES
    ${QUILLMARK_RESOURCE_SOURCE_DIR}/Halverd_Logo.gif
    ${QUILLMARK_RESOURCE_SOURCE_DIR}/Quillmark.cfg.sample)

set(quillmark_runtime_outputs)
foreach(resource ${QUILLMARK_RESOURCE_FILES})
    get_filename_component(name ${resource} NAME)
    add_custom_command(OUTPUT ${QUILLMARK_RUNTIME_DIR}/${name}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${resource} ${QUILLMARK_RUNTIME_DIR}/${name}
        DEPENDS ${resource}
        COMMENT "Copying ${name} beside the program")
    list(APPEND quillmark_runtime_outputs ${QUILLMARK_RUNTIME_DIR}/${name})
endforeach()

foreach(page ${QUILLMARK_HELP_PAGES})
    get_filename_component(name ${page} NAME)
    add_custom_command(OUTPUT ${QUILLMARK_RUNTIME_DIR}/help/${name}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${page} ${QUILLMARK_RUNTIME_DIR}/help/${name}
        DEPENDS ${page}
        COMMENT "Copying help page ${name}")
    list(APPEND quillmark_runtime_outputs ${QUILLMARK_RUNTIME_DIR}/help/${name})
endforeach()

find_program(QUILLMARK_CHMCMD chmcmd)
if(QUILLMARK_CHMCMD)
    # chmcmd writes beside its project file, so it compiles a copy in the build tree.
    set(chm_stage ${CMAKE_BINARY_DIR}/help-chm)
    file(MAKE_DIRECTORY ${chm_stage})
    add_custom_command(OUTPUT ${QUILLMARK_RUNTIME_DIR}/Quillmark_Help.chm
        COMMAND ${CMAKE_COMMAND} -E copy ${QUILLMARK_HELP_PAGES} ${QUILLMARK_HELP_PROJECT_FILES}
                ${chm_stage}
        COMMAND ${QUILLMARK_CHMCMD} --no-html-scan Quillmark_Help.hhp
        COMMAND ${CMAKE_COMMAND} -E copy ${chm_stage}/Quillmark_Help.chm
                ${QUILLMARK_RUNTIME_DIR}/Quillmark_Help.chm
        WORKING_DIRECTORY ${chm_stage}
        DEPENDS ${QUILLMARK_HELP_PAGES} ${QUILLMARK_HELP_PROJECT_FILES}
        COMMENT "Compiling Quillmark_Help.chm")
    list(APPEND quillmark_runtime_outputs ${QUILLMARK_RUNTIME_DIR}/Quillmark_Help.chm)
else()
    message(STATUS "chmcmd not found (Debian package fp-utils): Quillmark_Help.chm is skipped; "
                   "the program shows the HTML help in its own window")
endif()

# The program depends on this target (src/CMakeLists.txt), so building the program alone, as the
# demo does, still lays these files beside it.
add_custom_target(quillmark_runtime_files DEPENDS ${quillmark_runtime_outputs})
