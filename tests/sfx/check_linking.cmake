# Checks the binary interface of libsfx.so:
#   - its dynamic symbols define the exported classes, and nothing of the
#     library's private classes (the device implementation, player proxies,
#     internals) or of the libraries it links (vand_core, kit);
#   - it needs the one shared libvand_core.so rather than a copy of its own.
# Run as: cmake -DLIBRARY=<libsfx.so> -DNM=<nm> -DREADELF=<readelf> -P check_linking.cmake

execute_process(COMMAND ${NM} -DC --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()

set(failures "")
foreach(expected
    "vand::audio::DeviceControlWin32::GetOutputDevices() const"
    "vand::audio::DeviceControlWin32::DeviceControlWin32()"
    "vand::audio::AudioDevice::AudioDevice("
    "typeinfo for vand::audio::DeviceControlInterface"
    "vand::audio::sfx::SfxDto::SfxDtoBuilder::build() const"
    "vand::audio::sfx::operator<<(std::ostream&, vand::audio::sfx::SfxDto const&)"
    "typeinfo for IntervalInterface"
    "vand::audio::SongInterval::SongInterval("
    "vand::audio::CustomAudioParameters::builder()"
    "typeinfo for vand::sfx::CustomAudioException"
    "vand::audio::sfx::SfxVector::Add("
    "vand::sfx::SfxManifest::SfxManifest()"
    "vand::audio::AudioPathManager::GetDeviceIdFromPathId(int) const"
    "vand::AssetManager::GetAsset("
    "typeinfo for vand::BadFileException"
    "vand::audio::SfxPlayer::SfxPlayer(vand::audio::sfx::SfxDto const&)"
    "typeinfo for vand::audio::SfxPlayer"
    "vand::audio::sfx::GetSfxPlayer(vand::audio::sfx::SfxDto const&)"
    "vand::audio::SfxPlayerController::SfxPlayerController()"
    "typeinfo for vand::audio::SfxPlayerController"
    "vand::audio::SfxPlayerControllerImpl::instance("
    "vand::audio::SfxPlayerConnectionMediator::instance()"
    "vand::audio::SfxManager::AddPlayer("
    "typeinfo for vand::audio::SfxWorker"
    "vand::audio::SfxWorkerVolume::SfxWorkerVolume(")
  string(FIND "${symbols}" "${expected}" at)
  if(at EQUAL -1)
    string(APPEND failures "  not exported: ${expected}\n")
  endif()
endforeach()

# Defined symbols only: a vand_core or kit definition here would be a second
# copy of that library's state inside libsfx.so.
string(REPLACE "\n" ";" lines "${symbols}")
foreach(line IN LISTS lines)
  if(line MATCHES "DeviceControlWin32Impl"
     OR line MATCHES " [A-Za-z] ((typeinfo|typeinfo name|vtable) for )?vand::audio::SfxPlayerProxy"
     OR line MATCHES "vand::audio::detail::"
     OR line MATCHES " [A-Za-z] ((typeinfo|typeinfo name|vtable|VTT|guard variable) for )?(CL|cmn|TL|notify|kit)::"
     OR line MATCHES "vand::sfx::detail::")
    string(APPEND failures "  must not be exported: ${line}\n")
  endif()
endforeach()

execute_process(COMMAND ${READELF} -d ${LIBRARY} OUTPUT_VARIABLE dynamic RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "readelf failed on ${LIBRARY}")
endif()
foreach(needed libvand_core.so libkit.so)
  string(FIND "${dynamic}" "Shared library: [${needed}]" at)
  if(at EQUAL -1)
    string(APPEND failures "  does not need ${needed}\n")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${LIBRARY}:\n${failures}")
endif()
message(STATUS "${LIBRARY}: exports and dependencies as expected")
