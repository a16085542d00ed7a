// vrml/qvnodes.h -- the node classes of the VRML reader.
//
// Owns: the 43 node classes besides QvGroup that the registry makes from a
// type name: their fields in registration order, their defaults and
// enumerations, the reading of the extension and texture nodes' bodies, the
// material count and the Movie2 option parsing; plus the registry itself
// (QvNode::newNodeOfType) and the inline counter that numbers WWWInline nodes.
// It does not own the conversion of nodes into scene objects nor the
// accessors that serve only that conversion (the scene builder's), nor the
// node core (vrml/qvnode.h).
#ifndef LUMENFOLD_VRML_QVNODES_H
#define LUMENFOLD_VRML_QVNODES_H

#include "vrml/qvmfields.h"
#include "vrml/qvnode.h"
#include "vrml/qvsfields.h"

// The class-wide table and the operations every node class declares.
#define QV_NODE_HEADER(className)                          \
 public:                                                   \
  className();                                             \
  QvFieldData* getFieldData() const override;              \
  const char* getTypeName() const override;                \
                                                           \
 protected:                                                \
  ~className() override;                                   \
                                                           \
 private:                                                  \
  static QvFieldData* fieldData;                           \
  static bool firstInstance;                               \
                                                           \
 public:

// ------------------------------------------------------- primitive shapes

class QvCube : public QvNode {
  QV_NODE_HEADER(QvCube)
  QvSFFloat width, height, depth;
};

class QvCone : public QvNode {
  QV_NODE_HEADER(QvCone)
  enum Part { SIDES = 1, BOTTOM = 2, ALL = 4 };
  QvSFBitMask parts;
  QvSFFloat bottomRadius, height;
};

class QvCylinder : public QvNode {
  QV_NODE_HEADER(QvCylinder)
  enum Part { SIDES = 1, TOP = 2, BOTTOM = 4, ALL = 8 };
  QvSFBitMask parts;
  QvSFFloat radius, height;
};

class QvSphere : public QvNode {
  QV_NODE_HEADER(QvSphere)
  QvSFFloat radius;
};

class QvPointSet : public QvNode {
  QV_NODE_HEADER(QvPointSet)
  QvSFLong startIndex, numPoints;
};

class QvIndexedFaceSet : public QvNode {
  QV_NODE_HEADER(QvIndexedFaceSet)
  QvMFLong coordIndex, materialIndex, normalIndex, textureCoordIndex;
};

class QvIndexedLineSet : public QvNode {
  QV_NODE_HEADER(QvIndexedLineSet)
  QvMFLong coordIndex, materialIndex, normalIndex, textureCoordIndex;
};

class QvAsciiText : public QvNode {
  QV_NODE_HEADER(QvAsciiText)
  enum Justification { LEFT = 1, CENTER = 2, RIGHT = 4 };
  QvMFString string;  // one text per line
  QvSFFloat spacing;
  QvSFEnum justification;
  QvSFFloat width;
};

// ------------------------------------------------ geometry property nodes

class QvCoordinate3 : public QvNode {
  QV_NODE_HEADER(QvCoordinate3)
  QvMFVec3f point;
};

class QvNormal : public QvNode {
  QV_NODE_HEADER(QvNormal)
  QvMFVec3f vector;
};

class QvTextureCoordinate2 : public QvNode {
  QV_NODE_HEADER(QvTextureCoordinate2)
  QvMFVec2f point;
};

// Values of the "Binding" enumeration of the binding nodes.
namespace QvBinding {
enum : int32_t {
  DEFAULT = 0, NONE = 1, OVERALL = 2, PER_PART = 3, PER_PART_INDEXED = 4,
  PER_FACE = 5, PER_FACE_INDEXED = 6, PER_VERTEX = 7, PER_VERTEX_INDEXED = 8,
};
}

class QvMaterialBinding : public QvNode {
  QV_NODE_HEADER(QvMaterialBinding)
  QvSFEnum value;
};

class QvNormalBinding : public QvNode {
  QV_NODE_HEADER(QvNormalBinding)
  QvSFEnum value;
};

class QvMaterial : public QvNode {
  QV_NODE_HEADER(QvMaterial)
  // The largest count of the six lists: the materials a shape can index.
  int32_t getNumValues() const;
  QvMFColor ambientColor, diffuseColor, specularColor, emissiveColor;
  QvMFFloat shininess, transparency;
};

class QvShapeHints : public QvNode {
  QV_NODE_HEADER(QvShapeHints)
  enum VertexOrdering { UNKNOWN_ORDERING = 0, CLOCKWISE = 1, COUNTERCLOCKWISE = 2 };
  enum ShapeType { UNKNOWN_SHAPE_TYPE = 0, SOLID = 1 };
  enum FaceType { UNKNOWN_FACE_TYPE = 0, CONVEX = 1 };
  QvSFEnum vertexOrdering, shapeType, faceType;
  QvSFFloat creaseAngle;
};

// ----------------------------------------------------- transform nodes

class QvTranslation : public QvNode {
  QV_NODE_HEADER(QvTranslation)
  QvSFVec3f translation;
};

class QvRotation : public QvNode {
  QV_NODE_HEADER(QvRotation)
  QvSFRotation rotation;
};

class QvScale : public QvNode {
  QV_NODE_HEADER(QvScale)
  QvSFVec3f scaleFactor;
};

class QvTransform : public QvNode {
  QV_NODE_HEADER(QvTransform)
  QvSFVec3f translation;
  QvSFRotation rotation;
  QvSFVec3f scaleFactor;
  QvSFRotation scaleOrientation;
  QvSFVec3f center;
};

class QvMatrixTransform : public QvNode {
  QV_NODE_HEADER(QvMatrixTransform)
  QvSFMatrix matrix;
};

// -------------------------------------------------- lights and cameras

class QvDirectionalLight : public QvNode {
  QV_NODE_HEADER(QvDirectionalLight)
  QvSFBool on;
  QvSFFloat intensity;
  QvSFColor color;
  QvSFVec3f direction;
};

class QvPointLight : public QvNode {
  QV_NODE_HEADER(QvPointLight)
  QvSFBool on;
  QvSFFloat intensity;
  QvSFColor color;
  QvSFVec3f location;
};

class QvSpotLight : public QvNode {
  QV_NODE_HEADER(QvSpotLight)
  QvSFBool on;
  QvSFFloat intensity;
  QvSFColor color;
  QvSFVec3f location, direction;
  QvSFFloat dropOffRate, cutOffAngle;
};

class QvOrthographicCamera : public QvNode {
  QV_NODE_HEADER(QvOrthographicCamera)
  QvSFVec3f position;
  QvSFRotation orientation;
  QvSFFloat focalDistance, nearDistance, farDistance, height;
};

class QvPerspectiveCamera : public QvNode {
  QV_NODE_HEADER(QvPerspectiveCamera)
  QvSFVec3f position;
  QvSFRotation orientation;
  QvSFFloat focalDistance, nearDistance, farDistance, heightAngle;
};

// -------------------------------------------------------- texture nodes

// Values of the "Wrap" enumeration of the texture nodes.
namespace QvWrap {
enum : int32_t { REPEAT = 0, CLAMP = 1 };
}

class QvTexture2 : public QvNode {
  QV_NODE_HEADER(QvTexture2)
  bool readContents(QvInput* in) override;
  QvSFString filename;
  QvSFImage image;
  QvSFEnum wrapS, wrapT;
};

class QvTransparentTexture2 : public QvNode {
  QV_NODE_HEADER(QvTransparentTexture2)
  bool readContents(QvInput* in) override;
  QvSFString filename, maskFilename;
  QvSFImage image, maskImage;
  QvSFEnum wrapS, wrapT;
};

class QvTexture2Transform : public QvNode {
  QV_NODE_HEADER(QvTexture2Transform)
  QvSFVec2f translation;
  QvSFFloat rotation;
  QvSFVec2f scaleFactor, center;
};

// The settings held in a Movie2 node's option text.
struct Movie2Options {
  float framesPerSec;  // default 4.0
  int32_t width;       // default 128
  int32_t height;      // default 128
  char* sound;         // the movie's sound file, or null; the caller frees it (zmFree)
};

class QvMovie2 : public QvNode {
  QV_NODE_HEADER(QvMovie2)
  // Longest option value kept; a longer one is cut.
  static constexpr int kMaxOptionValue = 127;
  virtual char* getFileNameField() const;
  virtual int getAutoPlayField() const;
  // Fills options from the option text: 0, or -1 when the field holds no text.
  virtual int getOptionField(Movie2Options* options) const;
  QvSFString filename;
  QvSFBool autoPlay;
  QvSFString option;
};

// ----------------------------------------------------------- other nodes

class QvInfo : public QvNode {
  QV_NODE_HEADER(QvInfo)
  QvSFString string;
};

class QvAmbientSound : public QvNode {
  QV_NODE_HEADER(QvAmbientSound)
  QvSFString filename;
  QvSFVec3f bboxSize, bboxCenter;
  QvSFBool autoPlay, loop;
};

// ------------------------------------------------------- grouping nodes

class QvSeparator : public QvGroup {
  QV_NODE_HEADER(QvSeparator)
  enum CullEnabled { OFF = 0, ON = 1, AUTO = 2 };
  QvSFEnum renderCulling;
};

class QvTransformSeparator : public QvGroup {
  QV_NODE_HEADER(QvTransformSeparator)
};

class QvSwitch : public QvGroup {
  QV_NODE_HEADER(QvSwitch)
  QvSFLong whichChild;
};

class QvLOD : public QvGroup {
  QV_NODE_HEADER(QvLOD)
  QvMFFloat range;
  QvSFVec3f center;
};

class QvWWWAnchor : public QvGroup {
  QV_NODE_HEADER(QvWWWAnchor)
  enum Map { NONE = 0, POINT = 1 };
  QvSFString name, description;
  QvSFEnum map;
};

class QvWWWInline : public QvGroup {
  QV_NODE_HEADER(QvWWWInline)
  int32_t inlineNumber;  // the session's inline counter when the node was made
  QvSFString name;
  QvSFVec3f bboxSize, bboxCenter;
};

// ------------------------------------------ extension nodes (not built in)

// Script types of the extension nodes, as the file names them.
namespace QvScriptType {
enum : int32_t { UNKNOWN_SCRIPT = 0, PYTHON = 1, TCL = 2, JAVA = 3, VB = 4, C = 5, INLINE = 6 };
}

// Extension nodes read an optional "fields" declaration (for its form only),
// their fields with unknown names taken as errors, then children.
class QvExtensionGroup : public QvGroup {
 public:
  bool readContents(QvInput* in) override;
};

class QvAttributes : public QvExtensionGroup {
  QV_NODE_HEADER(QvAttributes)
  QvSFBool visible, grasp, solid, collision, mobile, assignId;
  QvSFString comment;
  QvSFBool backface, gouraud;
};

class QvScript : public QvExtensionGroup {
  QV_NODE_HEADER(QvScript)
  QvSFString procedure;
  QvSFEnum scriptType;
};

class QvEventHandler : public QvExtensionGroup {
  QV_NODE_HEADER(QvEventHandler)
  QvSFString filename, userData, function;
  QvSFBitMask eventType;
  QvSFEnum scriptType;
  QvSFString actionObject;
};

class QvSporadicTask : public QvExtensionGroup {
  QV_NODE_HEADER(QvSporadicTask)
  QvSFString filename;
  QvSFLong millisecond;
  QvSFString userData, function;
  QvSFEnum scriptType;
};

class QvPeriodicTask : public QvExtensionGroup {
  QV_NODE_HEADER(QvPeriodicTask)
  QvSFString filename;
  QvSFLong millisecond;
  QvSFString userData, function;
  QvSFEnum scriptType;
};

class QvCalendarTask : public QvExtensionGroup {
  QV_NODE_HEADER(QvCalendarTask)
  QvSFString filename, date, userData, function;
  QvSFEnum scriptType;
};

#undef QV_NODE_HEADER

#endif
