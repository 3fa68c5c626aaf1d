# Common settings for every Quillary target.
function(quillary_target_defaults target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -Wall -Wextra)
    endif()
    if(QUILLARY_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)
        target_link_options(${target} PUBLIC -fsanitize=address,undefined)
    endif()
endfunction()

# quillary_add_library(<name> SOURCES ...) — a library of the package, exported
# as Quillary::<name> and usable in-tree under the same name.
function(quillary_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
    if(QUILLARY_SHARED)
        add_library(${name} SHARED ${ARG_SOURCES})
    else()
        add_library(${name} STATIC ${ARG_SOURCES})
    endif()
    add_library(Quillary::${name} ALIAS ${name})
    quillary_target_defaults(${name})
    target_include_directories(${name} PUBLIC
        $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/src>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/quillary>)
    set_target_properties(${name} PROPERTIES
        VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
        POSITION_INDEPENDENT_CODE ON
        # Installed libraries find each other beside themselves.
        INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${name} EXPORT QuillaryTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# Embeds a text file as `extern const char <symbol>[]` in a generated source.
function(quillary_embed_text out_var input symbol)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${symbol}.cpp)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
                -P ${PROJECT_SOURCE_DIR}/cmake/EmbedText.cmake
        DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/EmbedText.cmake VERBATIM)
    set(${out_var} ${output} PARENT_SCOPE)
endfunction()
