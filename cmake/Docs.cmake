# The manual page and the package documents, gzip'd at build time with -n
# (no name or time stamp inside, so the result depends only on the text).
find_program(FERNTRACK_GZIP gzip)

set(FERNTRACK_DOCS_OUT ${PROJECT_BINARY_DIR}/docs)
set(FERNTRACK_DOCS_GZ "")

# Copies source to docs/<name> in the build folder and compresses it there.
function(ferntrack_gzip source name)
  set(copy ${FERNTRACK_DOCS_OUT}/${name})
  add_custom_command(
    OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FERNTRACK_DOCS_OUT}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${copy}
    COMMAND ${FERNTRACK_GZIP} -9nf ${copy}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    VERBATIM)
  set(FERNTRACK_DOCS_GZ ${FERNTRACK_DOCS_GZ} ${copy}.gz PARENT_SCOPE)
endfunction()

set(FERNTRACK_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/ferntrack)
if(FERNTRACK_GZIP)
  ferntrack_gzip(doc/ferntrack.1 ferntrack.1)
  ferntrack_gzip(doc/changelog.Debian changelog.Debian)
  add_custom_target(ferntrack_docs ALL DEPENDS ${FERNTRACK_DOCS_GZ})
  install(FILES ${FERNTRACK_DOCS_OUT}/ferntrack.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${FERNTRACK_DOCS_OUT}/changelog.Debian.gz DESTINATION ${FERNTRACK_DOC_DIR})
else()
  message(STATUS "gzip not found: the manual page and changelog are installed uncompressed")
  install(FILES doc/ferntrack.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES doc/changelog.Debian DESTINATION ${FERNTRACK_DOC_DIR})
endif()
install(FILES doc/copyright DESTINATION ${FERNTRACK_DOC_DIR})
