# Writes the winget manifests of a built installer, with its SHA-256, ready to submit:
#   cmake -DSETUP=...-setup.exe -DVERSION=x.y.z -DRELEASE_URL=... -DOUT=DIR -P manifests.cmake
file(SHA256 ${SETUP} SHA256)
string(TOUPPER ${SHA256} SHA256)
foreach(name flakemorph flakemorph.installer flakemorph.locale.en-US)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${name}.yaml.in ${OUT}/${name}.yaml @ONLY)
endforeach()
