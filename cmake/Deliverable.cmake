# add_model_deliverable(<name> SOURCES <files...> HOST_ENTRY <file> DEF <file>
#                       EXPORTS_MAP <file> [WINDOWS_LIBS <libs...>])
#
# Builds one deliverable once per device model. For each model m (s, t):
#   <name>_<m>_objects  the code compiled for that model (tests link it)
#   <name>_<m>          the deliverable: lib<name>_<m>.so on the host,
#                       <name>_<m>.dll on Windows, exporting exactly what the
#                       .def file / exports map name.
set(DEVICE_MODELS s t)

function(add_model_deliverable name)
    cmake_parse_arguments(ARG "" "HOST_ENTRY;DEF;EXPORTS_MAP" "SOURCES;WINDOWS_LIBS" ${ARGN})
    foreach(model IN LISTS DEVICE_MODELS)
        string(TOUPPER ${model} MODEL)
        set(objects ${name}_${model}_objects)
        add_library(${objects} OBJECT ${ARG_SOURCES})
        target_compile_definitions(${objects} PUBLIC DEVICE_MODEL_${MODEL})
        target_include_directories(${objects} PUBLIC ${PROJECT_SOURCE_DIR})
        set_target_properties(${objects} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                                    VISIBILITY_INLINES_HIDDEN ON)

        set(lib ${name}_${model})
        if(WIN32)
            add_library(${lib} SHARED $<TARGET_OBJECTS:${objects}> ${ARG_DEF})
            set_target_properties(${lib} PROPERTIES PREFIX "")
            target_link_options(${lib} PRIVATE -static -static-libgcc -static-libstdc++
                                -Wl,--enable-stdcall-fixup)
            target_link_libraries(${lib} PRIVATE ${ARG_WINDOWS_LIBS})
        else()
            target_link_libraries(${objects} PUBLIC simwin)
            add_library(${lib} SHARED ${ARG_HOST_ENTRY})
            target_link_libraries(${lib} PRIVATE ${objects})
            set_target_properties(${lib} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                                    LINK_DEPENDS ${ARG_EXPORTS_MAP})
            target_link_options(${lib} PRIVATE -Wl,--version-script=${ARG_EXPORTS_MAP})
        endif()
    endforeach()
endfunction()
