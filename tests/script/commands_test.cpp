// Every script command, run with good words and with wrong ones: the
// status, the result text or the message, and that the table misses none.
#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "script/commands.h"
#include "tests/script/command_fixture.h"

namespace {

// What a row expects of the result text: exactly `text`, or, for texts
// starting with '#', a kind of value: "#ptr" a pointer text other than 0,
// "#int" a decimal integer, "#line" one line ending with its newline.
bool matches(const std::string& expected, const std::string& text) {
  if (expected == "#ptr") return std::regex_match(text, std::regex("[1-9][0-9]*"));
  if (expected == "#int") return std::regex_match(text, std::regex("-?[0-9]+"));
  if (expected == "#line") return !text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1;
  return text == expected;
}

std::string wrongArgs(const std::string& command, const std::string& usage) {
  return command + ":wrong args:" + command + " " + usage + "\n";
}

struct Row {
  std::string script;
  bool good;  // runs without error
  std::string expected;
};

const std::string kAddedWorld = LUMENFOLD_TEST_DATA "/added.wrl";

std::vector<Row> rows() {
  const std::string coneSide = std::to_string(ZM_LEAF_CONE_SIDE);
  return {
      // Objects and tree.
      {"zmGetObjByName box", true, "#ptr"},
      {"zmGetObjByName nothing.here", true, "0"},
      {"expr {[zmGetObjByName $box cube] == $cube}", true, "1"},
      {"zmGetObjByName", false, wrongArgs("zmGetObjByName", "[root_obj] name [-r]")},
      {"zmGetObjByName 12a cube", false, "zmGetObjByName:bad ZmObj[12a]"},
      {"zmNameObject $spike spike", true, "#ptr"},
      {"zmNameObject $spike", false, wrongArgs("zmNameObject", "ZmObj name")},
      {"zmSetObjName $spike spike; zmGetObjByName cone.spike", true, "#ptr"},
      {"zmSetObjName 0 spike", false, "zmSetObjName:bad ZmObj[0]"},
      {"expr {[zmGetObjPart $cube 0] == $face}", true, "1"},
      {"zmGetObjPart $cube 6", true, "0"},
      {"zmGetObjPart $cube", false, wrongArgs("zmGetObjPart", "Obj PartsName")},
      {"zmGetFaceObjPart $spike " + coneSide, true, "#ptr"},
      {"zmGetFaceObjPart -1 0", false, "zmGetFaceObjPart:bad ZmObj[-1]"},
      {"zmAddObjFromFile 0 " + kAddedWorld, true, "#ptr"},
      {"zmAddObjFromFile $cube " + kAddedWorld, false,
       "zmAddObjFromFile:Can't add child to [Separator], must be a Separator."},
      {"zmAddObjFromFile 0", false, wrongArgs("zmAddObjFromFile", "{obj|0} VRMLfilename")},
      {"zmAddObjFromStr $box {#VRML V1.0 ascii\nDEF ball Sphere { }}; expr {[zmGetObjByName $box ball] != 0}", true,
       "1"},
      {"zmAddObjFromStr 12a {}", false, "zmAddObjFromStr:bad ZmObj[12a]"},
      {"zmDelObj [zmAddObjFromFile 0 " + kAddedWorld + "]", true, "0"},
      {"zmDelObj", false, wrongArgs("zmDelObj", "obj")},
      {"zmSwitchObj $choice 1", true, "0"},
      {"zmSwitchObj $choice", false, wrongArgs("zmSwitchObj", "obj childNo")},
      {"zmSetSwitchObjByNo $choice 0", true, "0"},
      {"zmSetSwitchObjByNo 99999999999999999999 0", false, "zmSetSwitchObjByNo:bad ZmObj[99999999999999999999]"},
      {"expr {[zmGetSwitchObjByNo $choice 1] == [zmGetObjByName choice.second]}", true, "1"},
      {"zmGetSwitchObjByNo $choice", false, wrongArgs("zmGetSwitchObjByNo", "swobj no")},
      {"zmSwitchObj $choice 1; zmGetSwitchObjInfo $choice current count; list $current $count", true, "1 2"},
      {"zmGetSwitchObjInfo $choice", false, wrongArgs("zmGetSwitchObjInfo", "swobj current [max]")},
      {"zmGetPerson", true, "#ptr"},
      {"zmGetPerson me", false, wrongArgs("zmGetPerson", "")},
      // Named values.
      {"zmNewVariable $box speed 3", true, "3"},
      {"zmNewVariable $box speed 4", false, "zmNewVariable:zmNewObjValue failed."},
      {"zmNewVariable $box", false, wrongArgs("zmNewVariable", "obj name value [ro]")},
      {"zmSetVariable $box speed 5; zmGetVariable $box speed", true, "5"},
      {"zmGetVariable $box weight", false, "zmGetVariable [weight] failed."},
      {"zmNewVariable $box fixed 1 ro; zmGetVariable $box fixed", true, "1"},
      {"zmSetVariable $box fixed 2", false, "zmSetVariable [fixed] failed."},
      {"zmSetVariable $box speed", false, wrongArgs("zmSetVariable", "obj name [value]")},
      {"zmDelVariable $box speed; zmDelVariable $box speed", true, ""},
      {"zmDelVariable $box", false, wrongArgs("zmDelVariable", "obj name")},
      // Transforms: read back before anything moves the cube.
      {"zmObjectWRT $cube x y z; list $x $y $z", true, "1.000000 2.000000 3.000000"},
      {"zmObjectWRT $cube x y", false, wrongArgs("zmObjectWRT", "ZmObj x y z  [rx ry rz rx1 ry1 rz1 rx2 ry2 rz2]")},
      {"zmGetObjWRT $cube x y z a b c d e f g h i; list $a $e $i $b", true,
       "1.000000 1.000000 1.000000 0.000000"},
      {"zmGetObjWRT 12a x y z", false, "zmGetObjWRT:bad ZmObj[12a]"},
      {"zmGetObjLRT $box x y z; list $x $y $z", true, "0.000000 0.000000 0.000000"},
      {"zmGetObjLRT $box x y z a", false, wrongArgs("zmGetObjLRT", "ZmObj x y z  [rx ry rz rx1 ry1 rz1 rx2 ry2 rz2]")},
      {"zmRotate $spike 1 0 0 0 1 0 0 0 1 0 1", true, "0"},
      {"zmRotate $spike 1 0 0", false,
       wrongArgs("zmRotate", "ZmObj px py pz px1 py1 pz1 px2 py2 py2 ZmCoordSystem  ZmTransferMode")},
      {"zmObjectRotate $spike 1 0 0 0 1 0 0 0 1 0 1", true, "0"},
      {"zmObjectRotate 7 1 0 0 0 1 0 0 0 1 0 1", false, "zmObjectRotate:bad ZmObj[7]"},
      {"zmRotateAngle $spike 0 90 0 0 1", true, "0"},
      {"zmRotateAngle $spike 0 90 0 0", false, wrongArgs("zmRotateAngle", "ZmObj x y z  ZmCoordSystem ZmTransferMode")},
      {"zmObjectRotateAngle $spike 0 -90 0 0 1", true, "0"},
      {"zmObjectRotateAngle {} 0 0 0 0 1", false, "zmObjectRotateAngle:bad ZmObj[]"},
      {"zmTranslate $spike 0 1 0 0 1", true, "0"},
      {"zmTranslate $spike 0 1 0", false, wrongArgs("zmTranslate", "ZmObj x y z  ZmCoordSystem  ZmTransferMode")},
      {"zmObjectTranslate $spike 0 -1 0 0 1", true, "0"},
      {"zmObjectTranslate 1x 0 0 0 0 1", false, "zmObjectTranslate:bad ZmObj[1x]"},
      {"zmRotateTranslate $spike 1 0 0 0 1 0 0 0 1 0 0 0 0 1", true, "0"},
      {"zmRotateTranslate $spike 1", false,
       wrongArgs("zmRotateTranslate", "ZmObj rx ry rz rx1 ry1 rz1 rx2 ry2 rz2 tx ty tz ZmCoordSystem ZmTransferMode")},
      {"zmObjectRotateTrans $spike 1 0 0 0 1 0 0 0 1 0 0 0 0 1", true, "0"},
      {"zmObjectRotateTrans 0 1 0 0 0 1 0 0 0 1 0 0 0 0 1", false, "zmObjectRotateTrans:bad ZmObj[0]"},
      {"zmRotateAngleTranslate $spike 0 0 0 0 0 0 0 1", true, "0"},
      {"zmRotateAngleTranslate $spike", false,
       wrongArgs("zmRotateAngleTranslate", "ZmObj x y z tx ty tz ZmCoordSystem ZmTransferMode")},
      {"zmObjectRotateAngleTrans $spike 0 0 0 0 0 0 0 1", true, "0"},
      {"zmObjectRotateAngleTrans 2 0 0 0 0 0 0 0 1", false, "zmObjectRotateAngleTrans:bad ZmObj[2]"},
      {"zm3DPosTo2DPos 0 0 0 sx sy; list [string is integer $sx] [string is integer $sy]", true, "1 1"},
      {"zm3DPosTo2DPos 0 0 0 sx", false, wrongArgs("zm3DPosTo2DPos", "3dx 3dy 3dz 2dx 2dy")},
      // Distances and collisions.
      {"zmCalcDistance $cube $cube", true, "0.000000"},
      {"zmCalcDistance $cube 12a", false, "zmCalcDistance:bad ZmObj[12a]"},
      {"zmIntersectZmTopObjAndZmWorld $box 0 0 hit", true, "0"},
      {"zmIntersectZmTopObjAndZmWorld $box 0 0", false,
       wrongArgs("zmIntersectZmTopObjAndZmWorld", "ZmObj  ZmBoolean ZmBoolean ret")},
      {"zmIntersectZmTopObjAndZmTopObj $box $choice 0 0 hit; set hit", true, "0"},
      {"zmIntersectZmTopObjAndZmTopObj $box $cube 0 0 hit", true, "-1"},  // a sub-object
      {"zmIntersectZmTopObjAndZmTopObj $box 12a 0 0 hit", false, "zmIntersectZmTopObjAndZmTopObj:bad ZmObj[12a]"},
      // Materials.
      {"zmSetObjMaterial $cube 2 0 1 0", true, "0"},
      {"zmSetObjMaterial $cube 2", false, "zmSetObjMaterial:bad num of color[]"},
      {"zmGetObjMaterial $cube 2 r g b; list $r $g $b", true, "0.000000 1.000000 0.000000"},
      {"zmGetObjMaterial $cube", false, wrongArgs("zmGetObjMaterial", "ZmObj {r g b ...rn gn bn}|{f ...fn} attribute")},
      {"zmSetObjAllMaterial $box 6 0.5; zmGetPartTransparency $face t", true, "0"},
      {"zmSetObjAllMaterial 12a 2 1 1 1", false, "zmSetObjAllMaterial:bad Parts or ZmObj[12a]"},
      {"zmSetPartMaterial $face 5 0.25", true, "0"},
      {"zmSetPartMaterial $face 5", false, wrongArgs("zmSetPartMaterial", "Parts f ... fn")},
      {"zmGetPartMaterial $face 5 s; set s", true, "0.250000"},
      {"zmGetPartMaterial $cube 5 s", false, "zmGetPartMaterial:bad Parts or ZmObj[" + std::string("$cube") + "]"},
      {"zmSetPartAmbient $face 0.1 0.2 0.3; zmGetPartAmbient $face r g b; list $r $g $b", true,
       "0.100000 0.200000 0.300000"},
      {"zmSetPartAmbient $face {*}[lrepeat 771 0]", false, "zmSetPartAmbient:bad num of color[0]"},
      {"zmGetPartAmbient 3 r g b", false, "zmGetPartAmbient:bad Parts or ZmObj[3]"},
      {"zmSetPartDiffuse $face 0 0 1; zmGetPartDiffuse $face r g b; list $r $g $b", true,
       "0.000000 0.000000 1.000000"},
      {"zmSetPartDiffuse $face 1 2 3 4", false, wrongArgs("zmSetPartDiffuse", "Parts r g b")},
      {"zmGetPartDiffuse", false, wrongArgs("zmGetPartDiffuse", "Parts r g b")},
      {"zmSetPartSpecular $face 0.5 0.5 0.5; zmGetPartSpecular $face r g b; list $r $g $b", true,
       "0.500000 0.500000 0.500000"},
      {"zmSetPartSpecular 12a 1 1 1", false, "zmSetPartSpecular:bad Parts or ZmObj[12a]"},
      {"zmGetPartSpecular 12a r g b", false, "zmGetPartSpecular:bad Parts or ZmObj[12a]"},
      {"zmSetPartEmissive $face 1 1 0; zmGetPartEmissive $face r g b; list $r $g $b", true,
       "1.000000 1.000000 0.000000"},
      {"zmSetPartEmissive $face", false, "zmSetPartEmissive:bad num of color[]"},
      {"zmGetPartEmissive", false, wrongArgs("zmGetPartEmissive", "Parts r g b")},
      {"zmSetPartShininess $face 0.75; zmGetPartShininess $face s; set s", true, "0.750000"},
      {"zmSetPartShininess $face {*}[lrepeat 257 0.1]", false, "zmSetPartShininess:bad num of float[0.1]"},
      {"zmGetPartShininess", false, wrongArgs("zmGetPartShininess", "Parts f ... fn")},
      {"zmSetPartTransparency $face 0.125; zmGetPartTransparency $face t; set t", true, "0.125000"},
      {"zmSetPartTransparency $face", false, wrongArgs("zmSetPartTransparency", "Parts f ... fn")},
      {"zmGetPartTransparency 0 t", false, "zmGetPartTransparency:bad Parts or ZmObj[0]"},
      // Colour lists.
      {"zmNewZmMFColor 2", true, "#ptr"},
      {"zmNewZmMFColor 0", false, "zmNewZmMFColor:zmNewZmMFColor faild"},
      {"zmSetZmMFColor $colors 2 0.1 0.2 0.3", true, ""},
      {"zmSetZmMFColor $colors 3 0 0 0", false, "zmSetZmMFColor:3 too big."},
      {"zmSetZmMFColor $colors -1 0 0 0", false, "zmSetZmMFColor:-1 too big."},
      {"zmGetZmMFColor $colors 2 r g b; list $r $g $b", true, "0.100000 0.200000 0.300000"},
      {"zmGetZmMFColor $colors 3 r g b", false, "zmGetZmMFColor:3 too big."},
      {"zmGetZmMFColor $colors -1 r g b", false, "zmGetZmMFColor:-1 too big."},
      {"zmDeleteZmMFColor [zmNewZmMFColor 1]", true, ""},
      {"zmDeleteZmMFColor $cube", false, "zmDeleteZmMFColor:bad ZmMFColor[$cube]"},
      // Attributes, lights and cameras.
      {"zmGetObjAttribute $cube 4 name; set name", true, "cube"},
      {"zmGetObjAttribute $cube 99 name; set name", true, ""},
      {"zmGetObjAttribute $cube 4", false, wrongArgs("zmGetObjAttribute", "ZmObj ZmObjAttribute valret")},
      {"zmSetObjAttribute $cube 6 tag; zmGetObjAttribute $cube 6 label; set label", true, "tag"},
      {"zmSetObjAttribute $cube 15 1", true, "0"},
      {"zmSetObjAttribute 12a 6 tag", false, "zmSetObjAttribute:bad ZmObj[12a]"},
      {"zmSetLightAttribute $light 1 0.75", true, "0"},
      {"zmSetLightAttribute $light 2 1", false, wrongArgs("zmSetLightAttribute", "ZmObj ZmObjAttribute val")},
      {"zmSetLightAttribute $light 7 1", false, "zmSetLightAttribute:bad ZmLightAttribute[7]"},
      {"zmSetLightAttribute $light 2 1 0.5 0.25; zmGetLightAttribute $light 2 r g b; list $r $g $b", true,
       "1.000000 0.500000 0.250000"},
      {"zmGetLightAttribute $light 1 i; set i", true, "0.750000"},
      {"zmGetLightAttribute $light -1 i", false, "zmGetLightAttribute:bad ZmLightAttribute[-1]"},
      {"zmSetCameraAttribute $camera 4 0.5; zmGetCameraAttribute $camera 4 a; set a", true, "0.500000"},
      {"zmSetCameraAttribute $camera 6 sky.bmp", false, "zmSetCameraAttribute:bad ZmCameraAttribute[6]"},
      {"zmGetCameraAttribute $camera 0 x y z; list $x $y $z", true, "0.000000 1.000000 8.000000"},
      {"zmGetCameraAttribute $camera 0 x", false, wrongArgs("zmGetCameraAttribute", "ZmObj ZmObjAttribute val")},
      {"zmSetActiveCamera 3", true, "0"},
      {"zmSetActiveCamera 7", true, "-1"},
      {"zmSetActiveCamera", false, wrongArgs("zmSetActiveCamera", "ZmCameraID")},
      {"zmSetActiveCamera 3; expr {[zmGetActiveCamera $box] == $camera && [zmGetActiveCamera] == $camera}", true,
       "1"},
      {"zmGetActiveCamera 12a", false, "zmGetActiveCamera:bad ZmObj[12a]"},
      // Event and time-out handlers.
      {"zmAddEventHandler $cube 8 1 {} withEvent tag", true, "0"},
      {"zmAddEventHandler $cube 8 1 {} withEvent tag 0", false, wrongArgs("zmAddEventHandler",
       "ZmObj ZmBitMask ZmScriptType filenameUrl function user_data actionObj")},
      {"zmAddEventHandler $cube 8 4 {} 4096 tag", false, "zmAddEventHandler:bad ZmScriptType[4]"},
      {"zmRemoveEventHandler $cube 8 1 {} withEvent tag", true, "0"},
      {"zmRemoveEventHandler $cube 8 1 {} withEvent tag", true, "-1"},
      {"zmRemoveEventHandler 12a 8 1 {} withEvent tag", false, "zmRemoveEventHandler:bad ZmObj[12a]"},
      {"set task [zmAddTimeOutHandler $cube 100 1 {} withEvent {} 0]", true, "#ptr"},
      {"zmAddTimeOutHandler $cube 100 1 {} withEvent {}", false, wrongArgs("zmAddTimeOutHandler",
       "ZmObj time_value ZmScriptType filenameUrl function user_data ZmTaskType")},
      {"zmRemoveTimeOutHandler $cube $task", true, ""},
      {"zmRemoveTimeOutHandler $cube $task", false, "zmRemoveTimeOutHandler:bad TimeOutHandle[$task]"},
      // The event record, while it is delivered.
      {"zmGetEventType $event", true, "16"},
      {"zmGetEventType", false, wrongArgs("zmGetEventType", "ZmEvent")},
      {"zmGetEventKey $event", true, "65"},
      {"zmGetEventKey $box", false, "zmGetEventKey:bad ZmEvent[$box]"},
      {"zmGetEventModifier $event", true, "2"},
      {"zmGetEventModifier 12a", false, "zmGetEventModifier:bad ZmEvent[12a]"},
      {"expr {[zmGetEventPart $event] == $face}", true, "1"},
      {"zmGetEventPart $event x", false, wrongArgs("zmGetEventPart", "ZmEvent")},
      {"expr {[zmGetEventObj $event] == $box}", true, "1"},
      {"zmGetEventObj 0", false, "zmGetEventObj:bad ZmEvent[0]"},
      {"zmGetEventPoint $event x y z; list $x $y $z", true, "1.500000 2.500000 3.500000"},
      {"zmGetEventPoint $event x y", false, wrongArgs("zmGetEventPoint", "ZmEvent x y z")},
      {"zmGetEvent2DPoint $event x y; list $x $y", true, "10.000000 20.000000"},
      {"zmGetEvent2DPoint $event x", false, wrongArgs("zmGetEvent2DPoint", "ZmEvent x y")},
      {"zmGetEventTime $event s ms; list $s $ms", true, "12 345"},
      {"zmGetEventTime $event s", false, wrongArgs("zmGetEventTime", "ZmEvent sec milli_sec")},
      // Media: there is no sound world here, and no object has a sound,
      // a movie or a body.
      {"zmPlayAmbientSound $box 1", true, "-1"},
      {"zmPlayAmbientSound 12a 1", false, "zmPlayAmbientSound:bad ZmObj[12a]"},
      {"zmPlaySpotSound $box 0", true, "-1"},
      {"zmPlaySpotSound $box", false, wrongArgs("zmPlaySpotSound", "ZmObj ZmBoolean")},
      {"zmPlayAmbientSoundByName bell 1", true, "-1"},
      {"zmPlayAmbientSoundByName bell", false, wrongArgs("zmPlayAmbientSoundByName", "name ZmBoolean")},
      {"zmPlaySpotSoundByName bell 1", true, "-1"},
      {"zmPlaySpotSoundByName", false, wrongArgs("zmPlaySpotSoundByName", "name ZmBoolean")},
      {"zmStopSound $box", true, "-1"},
      {"zmStopSound 12a", false, "zmStopSound:bad ZmObj[12a]"},
      {"zmSuspendSound $box", true, "-1"},
      {"zmSuspendSound", false, wrongArgs("zmSuspendSound", "ZmObj")},
      {"zmResumeSound $box", true, "-1"},
      {"zmResumeSound 0", false, "zmResumeSound:bad ZmObj[0]"},
      {"zmStopSoundByName bell", true, "-1"},
      {"zmStopSoundByName", false, wrongArgs("zmStopSoundByName", "name")},
      {"zmSuspendSoundByName bell", true, "-1"},
      {"zmSuspendSoundByName a b", false, wrongArgs("zmSuspendSoundByName", "name")},
      {"zmResumeSoundByName bell", true, "-1"},
      {"zmResumeSoundByName", false, wrongArgs("zmResumeSoundByName", "name")},
      {"zmSetSoundVolume $box 50", true, "-1"},
      {"zmSetSoundVolume $box", false, wrongArgs("zmSetSoundVolume", "ZmObj volume")},
      {"zmSetSoundVolumeByName bell 50", true, "-1"},
      {"zmSetSoundVolumeByName bell", false, wrongArgs("zmSetSoundVolumeByName", "name volume")},
      {"zmSuspendAllSound", true, "-1"},
      {"zmSuspendAllSound now", false, wrongArgs("zmSuspendAllSound", "no args")},
      {"zmResumeAllSound", true, "-1"},
      {"zmResumeAllSound now", false, wrongArgs("zmResumeAllSound", "no args")},
      {"zmVideoPlay " LUMENFOLD_TEST_DATA "/clip.avi", true, "-1"},
      {"zmVideoPlay /etc/clip.avi", false, "zmVideoPlay:can't read /etc/clip.avi from zmbrowser."},
      {"zmVideoPlay", false, wrongArgs("zmVideoPlay", "VideoFileName")},
      {"zmPlay2DVideo " LUMENFOLD_TEST_DATA "/clip.avi", true, "-1"},
      {"zmPlay2DVideo a b", false, wrongArgs("zmPlay2DVideo", "VideoFileName")},
      {"zmVideoNextFrame $cube", true, "-1"},
      {"zmVideoNextFrame 12a", false, "zmVideoNextFrame:bad ZmObj[12a]"},
      {"zmPlay3DVideo $cube", true, "-1"},
      {"zmPlay3DVideo", false, wrongArgs("zmPlay3DVideo", "ZmObj")},
      {"zmPlay3DMovie $cube", true, "-1"},
      {"zmPlay3DMovie 12a", false, "zmPlay3DMovie:bad ZmObj[12a]"},
      {"zmPause3DMovie $cube", true, "-1"},
      {"zmPause3DMovie", false, wrongArgs("zmPause3DMovie", "ZmObj")},
      {"zmSet3DMovieSpeed $cube 2", true, "-1"},
      {"zmSet3DMovieSpeed $cube", false, wrongArgs("zmSet3DMovieSpeed", "ZmObj speed")},
      {"zmGet3DMovieSpeed $cube", true, "-1.000000"},
      {"zmGet3DMovieSpeed 12a", false, "zmGet3DMovieSpeed:bad ZmObj[12a]"},
      {"zmGet3DMovieInfo $cube cur max loop; list $cur $max $loop", true, "-1 -1 0"},
      {"zmGet3DMovieInfo $cube", false, wrongArgs("zmGet3DMovieInfo", "ZmObj cur [max] [loop]")},
      {"zmSet3DMovieFrame $cube 3", true, "-1"},
      {"zmSet3DMovieFrame $cube", false, wrongArgs("zmSet3DMovieFrame", "ZmObj frameNo")},
      {"zmSet3DMovieLoop $cube 1", true, ""},
      {"zmSet3DMovieLoop $cube", false, wrongArgs("zmSet3DMovieLoop", "ZmObj [$zmTrue/$zmFalse]")},
      {"zmSet3DMovieNextFrame $cube", true, "-1"},
      {"zmSet3DMovieNextFrame 12a", false, "zmSet3DMovieNextFrame:bad ZmObj[12a]"},
      {"zmSet3DMoviePrevFrame $cube", true, "-1"},
      {"zmSet3DMoviePrevFrame", false, wrongArgs("zmSet3DMoviePrevFrame", "ZmObj")},
      // Articulated bodies.
      {"zmKinNew " + kAddedWorld + " skin; zmGetObjAttribute $skin 4 name; set name", true, "added"},
      {"zmKinNew " + kAddedWorld + " skin extra", false, wrongArgs("zmKinNew", "SkinUrl(wrl) ZmObj_return")},
      {"zmKinNew missing:skin.wrl skin", false, "zmKinNew:zmWwwLoadFile Fail."},
      {"zmKinDelete [zmAddObjFromFile 0 " + kAddedWorld + "]", true, "0"},
      {"zmKinDelete 12a", false, "zmKinDelete:bad ZmObj[12a]"},
      {"zmKinSetFrame $box 2", true, "-1"},
      {"zmKinSetFrame $box", false, wrongArgs("zmKinSetFrame", "ZmObj  frameno")},
      {"zmKinNextPosture $box", true, "-1"},
      {"zmKinNextPosture 12a", false, "zmKinNextPosture:bad ZmObj[12a]"},
      {"zmKinPrevPosture $box", true, "-1"},
      {"zmKinPrevPosture", false, wrongArgs("zmKinPrevPosture", "ZmObj")},
      {"zmKinGetFrame $box cur max", true, "-1"},
      {"zmKinGetFrame $box", false, wrongArgs("zmKinGetFrame", "ZmObj cur [max]")},
      {"zmDebugFunc anything at all", true, ""},
      {"zmDebugFunc zmKinNew body.wkn body", true, "-1"},
      {"zmDebugFunc zmKinNew body.wkn", false, wrongArgs("zmDebugFunc", "zmKinNew wknfile objret")},
      {"zmDebugFunc", false, wrongArgs("zmDebugFunc", "function [function arguments]")},
      // The other users: no server.
      {"zmqxSendApplEvent $box 16 hello", true, ""},
      {"zmqxSendApplEvent $box 16", false, wrongArgs("zmqxSendApplEvent", "ZmObj ZmBitmask ZmString")},
      {"zmqxSendApplSpecificMsg $box proc data", true, ""},
      {"zmqxSendApplSpecificMsg 12a proc data", false, "zmqxSendApplSpecificMsg:bad ZmObj[12a]"},
      {"zmqxSendApplSpecificMsgWithDist $box proc data 2", true, ""},
      {"zmqxSendApplSpecificMsgWithDist $box proc data", false,
       wrongArgs("zmqxSendApplSpecificMsgWithDist", "ZmObj function string DestFlg")},
      {"zmqxUpdateObj $box", true, ""},
      {"zmqxUpdateObj 12a", false, "zmqxUpdateObj:bad ZmObj[12a]"},
      {"zmqxAmIMaster", true, "0"},
      {"zmqxSendChatStr $box hi", true, ""},
      {"zmqxSendChatStr $box", false, wrongArgs("zmqxSendChatStr", "ZmObj Str")},
      {"zmChatDisplay $box hi", true, ""},
      {"zmChatDisplay 12a hi", false, "zmChatDisplay:bad ZmObj[12a]"},
      {"zmGetUserName", true, ""},
      // The browser, menus and navigation.
      {"zmWwwOpenUrl http://example.org/a.wrl", true, "-1"},
      {"zmWwwOpenUrl", false, wrongArgs("zmWwwOpenUrl", "URL")},
      {"zmWwwLoadFile " + kAddedWorld, true, kAddedWorld},
      {"zmWwwLoadFile missing:a.wrl", false, "zmWwwLoadFile:[missing:a.wrl] failed."},
      {"zmWwwGetFile " + kAddedWorld, true, kAddedWorld},
      {"zmWwwGetFile", false, wrongArgs("zmWwwGetFile", "URL \nreturn: local filename")},
      {"zmWwwOpenFile " + kAddedWorld, true, "-1"},
      {"zmWwwOpenFile", false, wrongArgs("zmWwwOpenFile", "WrlFileName")},
      {"zmForwardPage", true, ""},
      {"zmBackwardPage", true, ""},
      {"zmMenuExec 9", true, ""},
      {"zmMenuExec", false, wrongArgs("zmMenuExec", "ZmMenuId")},
      {"zmSetNavigation 1", true, "0"},
      {"zmSetNavigation", false, wrongArgs("zmSetNavigation", "$zmTrue|$zmFalse")},
      // Messages, help, time and random numbers.
      {"zmMessage {100% done}", true, ""},
      {"zmMessageDlg hello", true, ""},
      {"zmError oops", true, ""},
      {"zmWarning careful", true, ""},
      {"zmHelp zmTranslate", true, ""},
      {"zmHelp a b", false, wrongArgs("zmHelp", "[command]")},
      {"zmGetLocalTime s m; expr {$s >= 0 && $s < 61 && $m >= 0 && $m < 60}", true, "1"},
      {"zmGetLocalTime a b c d e f g h i j", false,
       wrongArgs("zmGetLocalTime", "[sec [min [hour [mday [mon [year [wday [yday [isdst]]]]]]]]]")},
      {"zmGetCTime", true, "#line"},
      {"zmRand", true, "#int"},
  };
}

// Commands that take any words: nothing can be wrong with them.
const std::set<std::string> kAnyWords = {"zmMessage", "zmMessageDlg", "zmError",  "zmWarning",     "zmForwardPage",
                                         "zmBackwardPage", "zmGetCTime", "zmRand", "zmqxAmIMaster", "zmGetUserName"};

// The commands a script runs: the words at the start of the script, of
// each command after ';' and inside brackets.
std::vector<std::string> commandsRun(const std::string& script) {
  std::vector<std::string> names;
  static const std::regex command("(^|;|\\[)\\s*(zm[A-Za-z0-9]+)");
  for (std::sregex_iterator it(script.begin(), script.end(), command), end; it != end; ++it)
    names.push_back((*it)[2]);
  return names;
}

TEST_F(CommandTest, EveryCommandWithGoodAndWrongWords) {
  std::set<std::string> good, wrong;
  for (const Row& row : rows()) {
    std::string text;
    int code = run(row.script, &text);
    // The message names the words as the script wrote them: expand the
    // variables the expected text names.
    std::string expected = row.expected;
    for (const char* name : {"$cube", "$task", "$box"}) {
      size_t at = expected.find(name);
      if (at == std::string::npos) continue;
      std::string value;
      run(std::string("set ") + (name + 1), &value);
      expected.replace(at, std::strlen(name), value);
    }
    EXPECT_EQ(code, row.good ? TCL_OK : TCL_ERROR) << row.script << " -> " << text;
    EXPECT_TRUE(matches(expected, text)) << row.script << "\n  gave [" << text << "]\n  want [" << expected << "]";
    std::vector<std::string> names = commandsRun(row.script);
    if (row.good) {
      good.insert(names.begin(), names.end());
    } else if (!names.empty()) {
      wrong.insert(names.front());
    }
  }
  for (const ZmScriptCommand& command : zmScriptCommands()) {
    EXPECT_TRUE(good.count(command.name)) << command.name << " never ran with good words";
    if (!kAnyWords.count(command.name)) {
      EXPECT_TRUE(wrong.count(command.name)) << command.name << " never ran with wrong words";
    }
  }
}

}  // namespace
