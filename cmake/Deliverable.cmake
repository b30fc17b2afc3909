# add_model_deliverable(<name> SOURCES <files...> HOST_ENTRY <file> DEF <file>
#                       EXPORTS_MAP <file> [WINDOWS_LIBS <libs...>]
#                       [RESOURCE_SCRIPT <file.rc> RESOURCE_FILES <files...>
#                        RESOURCE_TABLE_FUNCTION <name> RESOURCE_TABLE_HEADER <header>])
#
# Builds one deliverable once per device model. For each model m (s, t):
#   <name>_<m>_objects  the code compiled for that model (tests link it)
#   <name>_<m>          the deliverable: lib<name>_<m>.so on the host,
#                       <name>_<m>.dll on Windows, exporting exactly what the
#                       .def file / exports map name.
#
# A resource script is read with DEVICE_MODEL_<M> defined and the project
# root and the script's folder as include directories (its icons and other
# RESOURCE_FILES lie there). Windows builds compile it into the DLL with the
# resource compiler. Host builds preprocess it the same way (_WIN64 when the
# host is 64-bit, RESOURCE_TABLE_GENERATOR always) and translate it with
# rc_tables into a source of <name>_<m>_objects that defines
# "const SimwinModuleResources* <RESOURCE_TABLE_FUNCTION>()", declared in
# RESOURCE_TABLE_HEADER (a path from the project root).
set(DEVICE_MODELS s t)

function(add_model_deliverable name)
    cmake_parse_arguments(ARG ""
        "HOST_ENTRY;DEF;EXPORTS_MAP;RESOURCE_SCRIPT;RESOURCE_TABLE_FUNCTION;RESOURCE_TABLE_HEADER"
        "SOURCES;WINDOWS_LIBS;RESOURCE_FILES" ${ARGN})
    if(ARG_RESOURCE_SCRIPT)
        get_filename_component(resource_dir ${ARG_RESOURCE_SCRIPT} DIRECTORY)
        file(RELATIVE_PATH resource_script_name ${PROJECT_SOURCE_DIR} ${ARG_RESOURCE_SCRIPT})
        list(TRANSFORM ARG_RESOURCE_FILES PREPEND ${resource_dir}/)
    endif()
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
            if(ARG_RESOURCE_SCRIPT)
                target_sources(${lib} PRIVATE ${ARG_RESOURCE_SCRIPT})
                target_compile_definitions(${lib} PRIVATE DEVICE_MODEL_${MODEL})
                target_include_directories(${lib} PRIVATE ${PROJECT_SOURCE_DIR} ${resource_dir})
                set_source_files_properties(${ARG_RESOURCE_SCRIPT} PROPERTIES
                                            OBJECT_DEPENDS "${ARG_RESOURCE_FILES}")
            endif()
        else()
            target_link_libraries(${objects} PUBLIC simwin)
            add_library(${lib} SHARED ${ARG_HOST_ENTRY})
            target_link_libraries(${lib} PRIVATE ${objects})
            set_target_properties(${lib} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                                    LINK_DEPENDS ${ARG_EXPORTS_MAP})
            target_link_options(${lib} PRIVATE -Wl,--version-script=${ARG_EXPORTS_MAP})
            if(ARG_RESOURCE_SCRIPT)
                set(table ${CMAKE_CURRENT_BINARY_DIR}/${name}_${model}_resources.cpp)
                set(preprocessed ${CMAKE_CURRENT_BINARY_DIR}/${name}_${model}_resources.i)
                set(width_definition)
                if(CMAKE_SIZEOF_VOID_P EQUAL 8)
                    set(width_definition -D_WIN64)
                endif()
                add_custom_command(OUTPUT ${table}
                    COMMAND ${CMAKE_C_COMPILER} -E -x c -DRESOURCE_TABLE_GENERATOR
                            -DDEVICE_MODEL_${MODEL} ${width_definition} -I${PROJECT_SOURCE_DIR}
                            ${ARG_RESOURCE_SCRIPT} -o ${preprocessed}
                    COMMAND rc_tables --input ${preprocessed} --output ${table}
                            --function ${ARG_RESOURCE_TABLE_FUNCTION}
                            --header ${ARG_RESOURCE_TABLE_HEADER} --include-dir ${resource_dir}
                            --script-name ${resource_script_name} --depfile ${table}.d
                    DEPENDS ${ARG_RESOURCE_SCRIPT} rc_tables
                    DEPFILE ${table}.d
                    COMMENT "Translating ${resource_script_name} for model ${MODEL}"
                    VERBATIM)
                target_sources(${objects} PRIVATE ${table})
            endif()
        endif()
    endforeach()
endfunction()
