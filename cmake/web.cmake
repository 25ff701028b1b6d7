# The web build (emcmake, -DQV_WEB=ON, from scripts/web.sh): the libraries come from
# QV_WEB_DEPS (each built once from its Debian source into NAME-VERSION/{include,lib}) under the
# names the native build finds them by, and the assets from a native host build (QV_HOST_BUILD).
# Only the program is built: no tools, tests, benchmarks or package.
set(QV_WEB_DEPS "${PROJECT_SOURCE_DIR}/build-web/deps" CACHE PATH "Libraries built by scripts/web.sh")
set(QV_HOST_BUILD "${PROJECT_SOURCE_DIR}/build-web/host" CACHE PATH "Native build holding the generated assets")
set(QV_TESTS OFF CACHE BOOL "" FORCE)
set(QV_BENCH OFF CACHE BOOL "" FORCE)
# The SSE2 kernels map onto WebAssembly SIMD; platCpuHasSSE2 answers yes when it is compiled in.
add_compile_options(-msimd128 -msse2)

# qv_web_dep(TARGET NAME LIB [INCLUDE_SUFFIX]): an imported library from QV_WEB_DEPS/NAME-*.
function(qv_web_dep target name lib)
  file(GLOB dirs LIST_DIRECTORIES true "${QV_WEB_DEPS}/${name}-*")
  list(LENGTH dirs n)
  if(NOT n EQUAL 1)
    message(FATAL_ERROR "${name}: expected one built copy in ${QV_WEB_DEPS}, found ${n} (run scripts/web.sh)")
  endif()
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION "${dirs}/lib/lib${lib}.a"
                                             INTERFACE_INCLUDE_DIRECTORIES "${dirs}/include${ARGV3}")
endfunction()
qv_web_dep(ZLIB::ZLIB zlib z)
qv_web_dep(PNG::PNG libpng1.6 png16)
qv_web_dep(JPEG::JPEG libjpeg-turbo jpeg)
qv_web_dep(PkgConfig::MINIZIP minizip minizip /minizip)
qv_web_dep(PkgConfig::OPENMPT libopenmpt openmpt)
target_link_libraries(PNG::PNG INTERFACE ZLIB::ZLIB)
target_link_libraries(PkgConfig::MINIZIP INTERFACE ZLIB::ZLIB)
target_link_libraries(PkgConfig::OPENMPT INTERFACE ZLIB::ZLIB)

# The generated files the program includes or reads, copied from the host build.
set(QV_WEB_ASSETS quorvane.kvo rul-quor.s3m qvane.nfo qvresources.inc)
set(outs "")
foreach(f ${QV_WEB_ASSETS})
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${f} DEPENDS ${QV_HOST_BUILD}/${f}
                     COMMAND ${CMAKE_COMMAND} -E copy ${QV_HOST_BUILD}/${f} ${PROJECT_BINARY_DIR}/${f})
  list(APPEND outs ${PROJECT_BINARY_DIR}/${f})
endforeach()
add_custom_target(assets ALL DEPENDS ${outs})

# The program's two links. quorvane.js runs under node like the native program: the shell's
# arguments, environment and files (NODERAWFS: the data is read from the current folder, frames
# and logs written to disk). site/quorvane.js is the page's: its loops made resumable
# (ASYNCIFY) so that each sleep gives the browser its turn, started by the page (callMain), the
# data preloaded into the virtual file system's root, the program's current folder.
function(qv_web_program)
  set(data "")
  foreach(f quorvane.kvo rul-quor.s3m qvane.nfo)
    list(APPEND data "SHELL:--preload-file ${PROJECT_BINARY_DIR}/${f}@/${f}")
  endforeach()
  set(common -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864 -sEXIT_RUNTIME=1)
  target_link_options(quorvane PRIVATE ${common} -sENVIRONMENT=node -sNODERAWFS=1
                      "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/web/node-env.js")
  set_property(TARGET quorvane APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/web/node-env.js ${outs})
  add_executable(quorvane_page ${PROJECT_SOURCE_DIR}/src/demo/main.cpp)
  target_link_libraries(quorvane_page PRIVATE qv_demo)
  target_link_options(quorvane_page PRIVATE ${common} ${data} -sENVIRONMENT=web -sASYNCIFY -sASYNCIFY_STACK_SIZE=131072
                      -sINVOKE_RUN=0 "SHELL:-sEXPORTED_RUNTIME_METHODS=['callMain','FS','UTF8ToString']")
  set_target_properties(quorvane_page PROPERTIES OUTPUT_NAME quorvane RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/site
                                                 LINK_DEPENDS "${outs}")
endfunction()
