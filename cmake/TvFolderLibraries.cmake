# tv_folder_libraries(PLAIN <name> UNITS <files...> LINKS <libs...>
#                     QT <name> QT_LINKS <libs...>)
# Makes the two libraries of a folder that holds a plain layer and a Qt one:
# PLAIN of the units listed by name, linking LINKS, and QT of every other
# unit U*.cpp of the folder, picked up by file, linking PLAIN and QT_LINKS,
# with moc and uic. Both offer the folder's headers.
function(tv_folder_libraries)
  cmake_parse_arguments(ARG "" "PLAIN;QT" "UNITS;LINKS;QT_LINKS" ${ARGN})
  set(folder ${CMAKE_CURRENT_SOURCE_DIR})
  add_library(${ARG_PLAIN} STATIC ${ARG_UNITS})
  target_include_directories(${ARG_PLAIN} PUBLIC ${folder})
  target_link_libraries(${ARG_PLAIN} PUBLIC ${ARG_LINKS})

  file(GLOB units CONFIGURE_DEPENDS ${folder}/U*.cpp)
  list(TRANSFORM ARG_UNITS PREPEND ${folder}/ OUTPUT_VARIABLE plain)
  list(REMOVE_ITEM units ${plain})
  add_library(${ARG_QT} STATIC ${units})
  target_include_directories(${ARG_QT} PUBLIC ${folder})
  target_link_libraries(${ARG_QT} PUBLIC ${ARG_PLAIN} ${ARG_QT_LINKS})
  set_target_properties(${ARG_QT} PROPERTIES AUTOMOC ON AUTOUIC ON)
endfunction()
